#!/usr/bin/env python3
"""Independent reference of the indicator pane's twelve indicators, written
with numpy from the indicators' formulas alone, checked against the arrays
the terminal computed on the same bars.

The formulas, as the indicators define them:
  - bar inputs are 32-bit floats; sums and running averages are kept in
    single precision, added in the order given; ratios are formed in double
    precision and stored as 32-bit floats;
  - a division by a value that is zero (flat prices, an empty window) gives 0.

Run: indicators_reference.py <fixture folder>
The folder holds one "<fixture>.txt" per fixture (written by the chart
tests): the bars, then every array of every indicator. Exits 0 when every
array agrees with the reference (relative 1e-5, or 1e-3 absolute near 0),
1 with the differences listed otherwise.
"""
import math
import os
import sys

import numpy as np

F32 = np.float32
REL = 1e-5
ABS_NEAR_ZERO = 1e-3
EXPECTED_ARRAYS = {
    "ARBR": ["AR", "BR"],
    "BIAS": ["BIAS1", "BIAS2", "BIAS3"],
    "BOLL": ["MID", "UPPER", "LOWER"],
    "CCI": ["CCI"],
    "DMI": ["PDI", "MDI", "ADX", "ADXR"],
    "KDJ": ["K", "D", "J"],
    "MACD": ["DIFF", "DEA", "MACD"],
    "NFI": ["NET"],
    "OBV": ["OBV"],
    "PSY": ["PSY"],
    "RSI": ["RSI1", "RSI2", "RSI3"],
    "W&R": ["WR1", "WR2"],
}


def stored(value):
    """A double-precision result stored as a 32-bit float; a value that is
    not finite there is stored as 0."""
    value = float(value)
    if not math.isfinite(value) or abs(value) > float(np.finfo(F32).max):
        return F32(0)
    return F32(value)


def ratio(num, den, scale=1.0):
    """num / den x scale in double precision, 0 when den is 0."""
    den = float(den)
    if den == 0.0:
        return F32(0)
    return stored(float(num) / den * scale)


def fsum(values):
    """Sum in single precision, in the order given."""
    total = F32(0)
    for v in values:
        total = F32(total + F32(v))
    return total


# --- the oscillators ---------------------------------------------------------

def bias(c, n):
    out = np.zeros(len(c), F32)
    for i in range(n - 1, len(c)):
        # C(i) + C(i-1) + ... + C(i-N+1), from bar i backwards
        ma = F32(fsum(c[j] for j in range(i, i - n, -1)) / F32(n))
        out[i] = 0 if ma == 0 else ratio(float(c[i]) - float(ma), ma, 100.0)
    return out


def cci(h, l, c, n=14):
    tp = [F32(F32(F32(l[i] + h[i]) + c[i]) / F32(3)) for i in range(len(c))]
    out = np.zeros(len(c), F32)
    for i in range(n - 1, len(c)):
        window = tp[i - n + 1:i + 1]
        ma = F32(fsum(window) / F32(n))
        md = F32(fsum(abs(F32(t - ma)) for t in window) / F32(n))
        out[i] = ratio(F32(tp[i] - ma), float(md) * 0.015)
    return out


def kdj(c, n=9, m1=3, m2=3):
    count = len(c)
    k = np.zeros(count, F32)
    d = np.zeros(count, F32)
    j = np.zeros(count, F32)
    for i in range(1, count):
        hc, lc = F32(-1.0), F32(10000000.0)
        for x in range(max(i - n + 1, 0), i + 1):
            hc = max(hc, c[x])
            lc = min(lc, c[x])
        spread = F32(hc - lc)
        rsv = float(F32(c[i] - lc)) / float(spread) if abs(spread) >= F32(0.00001) else 0.0
        k[i] = stored(((m1 - 1) * float(k[i - 1]) + rsv) / m1)
        d[i] = stored(((m2 - 1) * float(d[i - 1]) + float(k[i])) / m2)
        j[i] = stored(3.0 * float(k[i]) - 2.0 * float(d[i]))
    return [F32(100) * k, F32(100) * d, F32(100) * j]


def psy(c, n=12):
    out = np.zeros(len(c), F32)
    for i in range(n, len(c)):
        rising = sum(1 for x in range(i - n + 1, i + 1) if c[x] > c[x - 1])
        out[i] = stored(rising * 100.0 / n)
    return out


def rsi(c, n):
    out = np.zeros(len(c), F32)
    u = a = F32(0)
    nf, kept = F32(n), F32(n - 1)
    for i in range(1, len(c)):
        delta = F32(c[i] - c[i - 1])
        up = delta if delta >= 0 else F32(0)
        u = F32(F32(F32(kept * u) + up) / nf)
        a = F32(F32(F32(kept * a) + abs(delta)) / nf)
        out[i] = ratio(u, a, 100.0)
    return out


def williams(h, l, c, n):
    out = np.zeros(len(c), F32)
    for i in range(len(c)):
        hh, ll = h[i], l[i]
        for x in range(max(i - n + 1, 0), i + 1):
            hh = max(hh, h[x])
            ll = min(ll, l[x])
        out[i] = 0 if hh == ll else stored(float(F32(hh - c[i])) * 100.0 / float(F32(hh - ll)))
    return out


# --- trend and band ------------------------------------------------------------

def arbr(o, h, l, c, n=26):
    count = len(c)
    ar = np.zeros(count, F32)
    br = np.zeros(count, F32)
    for i in range(n - 1, count):
        js = range(i - n + 1, i + 1)
        ar[i] = ratio(fsum(F32(h[x] - o[x]) for x in js), fsum(F32(o[x] - l[x]) for x in js), 100.0)
    for i in range(n, count):
        js = range(i - n + 1, i + 1)
        up = fsum(max(F32(h[x] - c[x - 1]), F32(0)) for x in js)
        down = fsum(max(F32(c[x - 1] - l[x]), F32(0)) for x in js)
        br[i] = ratio(up, down, 100.0)
    return [ar, br]


def boll(c, n=26, width=2):
    count = len(c)
    mid = np.zeros(count, F32)
    upper = np.zeros(count, F32)
    lower = np.zeros(count, F32)
    for i in range(n - 1, count):
        window = c[i - n + 1:i + 1]
        m = F32(fsum(window) / F32(n))
        s = fsum(F32(F32(x - m) * F32(x - m)) for x in window)
        sd = math.sqrt(float(s) / (n - 1))  # the sample deviation
        mid[i] = m
        upper[i] = stored(float(m) + sd * width)
        lower[i] = stored(float(m) - sd * width)
    return [mid, upper, lower]


def dmi(h, l, c, n=14, m=6):
    count = len(c)
    pdi, mdi, adx, adxr = (np.zeros(count, F32) for _ in range(4))
    up = [F32(0)] * count
    down = [F32(0)] * count
    for i in range(1, count):
        up[i] = F32(h[i] - h[i - 1])
        down[i] = F32(l[i - 1] - l[i])
    for i in range(n, count):
        js = range(i - n + 1, i + 1)
        plus = fsum(up[x] if up[x] > 0 and up[x] > down[x] else F32(0) for x in js)
        minus = fsum(down[x] if down[x] > 0 and down[x] > up[x] else F32(0) for x in js)
        tr = fsum(max(F32(h[x] - l[x]), abs(F32(h[x] - c[x - 1])), abs(F32(l[x] - c[x - 1]))) for x in js)
        pdi[i] = ratio(plus, tr, 100.0)
        mdi[i] = ratio(minus, tr, 100.0)
    for i in range(n + m - 1, count):
        terms = []
        for x in range(i - m + 1, i + 1):
            both = F32(pdi[x] + mdi[x])
            terms.append(ratio(abs(float(mdi[x]) - float(pdi[x])), both))
        adx[i] = stored(float(fsum(terms)) * 100.0 / m)
    for i in range(n + 2 * m - 1, count):
        # with the ADX of M - 1 bars before
        adxr[i] = stored((float(adx[i - m + 1]) + float(adx[i])) * 0.5)
    return [pdi, mdi, adx, adxr]


def macd(c, s=12, lg=26, m=9):
    count = len(c)
    diff, dea, hist = (np.zeros(count, F32) for _ in range(3))
    if count == 0:
        return [diff, dea, hist]
    es = el = c[0]
    d = F32(0)
    two = F32(2)
    for i in range(1, count):
        es = F32(F32(F32(two * c[i]) + F32(F32(s - 1) * es)) / F32(s + 1))
        el = F32(F32(F32(two * c[i]) + F32(F32(lg - 1) * el)) / F32(lg + 1))
        x = F32(es - el)
        d = F32(F32(F32(two * x) + F32(F32(m - 1) * d)) / F32(m + 1))
        diff[i], dea[i], hist[i] = x, d, F32(F32(x - d) * two)
    return [diff, dea, hist]


# --- volume and money flow -------------------------------------------------------

def obv(c, v):
    out = np.zeros(len(c), F32)
    total = F32(0)
    for i in range(1, len(c)):
        delta = F32(c[i] - c[i - 1])
        if delta > F32(0.0001):
            total = F32(total + v[i])
        elif delta < F32(-0.0001):
            total = F32(total - v[i])
        out[i] = total
    return out


def net_flow(inflow, outflow):
    return np.array([stored(float(a) - float(b)) for a, b in zip(inflow, outflow)], F32)


def reference(bars):
    o, h, l, c, v, fin, fout = (bars[:, k] for k in range(7))
    return {
        "ARBR": arbr(o, h, l, c),
        "BIAS": [bias(c, 6), bias(c, 12), bias(c, 24)],
        "BOLL": boll(c),
        "CCI": [cci(h, l, c)],
        "DMI": dmi(h, l, c),
        "KDJ": kdj(c),
        "MACD": macd(c),
        "NFI": [net_flow(fin, fout)],
        "OBV": [obv(c, v)],
        "PSY": [psy(c)],
        "RSI": [rsi(c, 6), rsi(c, 12), rsi(c, 24)],
        "W&R": [williams(h, l, c, 14), williams(h, l, c, 28)],
    }


# --- fixtures and comparison ------------------------------------------------------

def read_fixture(path):
    with open(path, encoding="ascii") as f:
        lines = f.read().split("\n")
    pos = 0

    def take():
        nonlocal pos
        pos += 1
        return lines[pos - 1]

    kind, count = take().split()
    assert kind == "bars", path
    bars = np.array([[float(x) for x in take().split()] for _ in range(int(count))], F32).reshape(-1, 7)
    computed = {}
    current = None
    while pos < len(lines) and lines[pos]:
        words = take().split(" ")
        if words[0] == "indicator":
            current = words[1]
            computed[current] = []
        else:
            assert words[0] == "array", path
            n = int(words[2])
            computed[current].append((words[1], np.array([float(take()) for _ in range(n)], F32)))
    return bars, computed


def agrees(ours, ref):
    diff = np.abs(ours.astype(np.float64) - ref.astype(np.float64))
    return (diff <= REL * np.abs(ref.astype(np.float64))) | (diff <= ABS_NEAR_ZERO)


def check(path):
    name = os.path.basename(path)[:-4]
    bars, computed = read_fixture(path)
    expected = reference(bars)
    failures = []
    worst = 0.0
    if sorted(computed) != sorted(EXPECTED_ARRAYS):
        return [f"{name}: indicators {sorted(computed)}"], 0.0
    for indicator, arrays in computed.items():
        names = [a for a, _ in arrays]
        if names != EXPECTED_ARRAYS[indicator]:
            failures.append(f"{name} {indicator}: arrays {names}")
            continue
        for (label, ours), ref in zip(arrays, expected[indicator]):
            if len(ours) != len(ref):
                failures.append(f"{name} {indicator} {label}: {len(ours)} values, reference {len(ref)}")
                continue
            if not np.all(np.isfinite(ours)):
                failures.append(f"{name} {indicator} {label}: NaN or infinity")
                continue
            ok = agrees(ours, ref)
            scale = np.maximum(np.abs(ref.astype(np.float64)), 1e-30)
            rel = np.abs(ours.astype(np.float64) - ref) / scale
            big = np.abs(ref) > 1.0
            if np.any(big):
                worst = max(worst, float(np.max(rel[big])))
            for i in np.nonzero(~ok)[0][:5]:
                failures.append(f"{name} {indicator} {label}[{i}]: ours {ours[i]!r}, reference {ref[i]!r}")
    return failures, worst


def main():
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    folder = sys.argv[1]
    paths = sorted(os.path.join(folder, f) for f in os.listdir(folder) if f.endswith(".txt"))
    if not paths:
        print(f"no fixtures in {folder}")
        return 1
    failed = 0
    for path in paths:
        failures, worst = check(path)
        status = "agrees" if not failures else "DIFFERS"
        print(f"{os.path.basename(path)[:-4]}: {status} (largest relative difference away from 0: {worst:.2e})")
        for line in failures:
            print("  " + line)
        failed += 1 if failures else 0
    print(f"{len(paths) - failed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
