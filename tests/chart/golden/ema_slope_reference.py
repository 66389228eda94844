#!/usr/bin/env python3
"""Reference of the EMA slope signal calculator, written with numpy from the
calculator's description alone, and the golden vectors the chart tests read.

Every stored value is a 32-bit float (the calculator stores each quotient as
one); arithmetic between stored values is done in double precision.

Run: ema_slope_reference.py <output folder>  -> writes ema_slope_golden.txt
"""
import sys

import numpy as np

F32 = np.float32
SLOW_M = 50
FAST_N = 5

# The chart's 55 warm-up price changes, percent.
WARMUP = [0.00, 9.98, 1.94, 0.89, 2.57, -4.46, -1.27, 3.57, 2.84, 10.00, 1.38, 9.95, -2.19, 0.71,
          -4.29, 5.79, -6.43, -2.18, -0.90, 2.14, -0.31, 0.21, -1.65, 10.00, -0.19, -2.17, 5.01,
          0.74, 0.00, -1.17, -1.53, 2.75, -1.85, 1.97, -1.01, 5.59, -5.88, -5.41, 2.94, 3.15,
          0.34, 1.71, -6.04, -0.03, -0.10, -2.89, 2.71, 1.76, -1.73, -1.14, -2.60, -4.57, -4.54,
          1.30, -3.23]


def d(v):
    return float(v)


def quotient(a, b):
    """a / b in double precision; 0 where b is 0 (a guarded division)."""
    return 0.0 if b == 0.0 else a / b


def run(open_, close, high, x):
    """The five passes over n records; returns slope, fast, slow, boosted, state."""
    n = len(close)
    c = np.asarray(close, dtype=F32)
    o = np.asarray(open_, dtype=F32)
    h = np.asarray(high, dtype=F32)
    xs = np.asarray(x, dtype=F32)
    s = np.zeros(n, dtype=F32)
    f = np.zeros(n, dtype=F32)
    w = np.zeros(n, dtype=F32)
    b = np.zeros(n, dtype=F32)
    state = np.zeros(n, dtype=np.int32)

    # Pass 1: the regression slope of the close over the record number, 20 records.
    slope_ran = n >= 21
    if slope_ran:
        for i in range(19, n):
            cw = c[i - 19:i + 1].astype(np.float64)
            xw = xs[i - 19:i + 1].astype(np.float64)
            cm = cw.sum() / 20.0
            xm = xw.sum() / 20.0
            s[i] = quotient(((cw - cm) * (xw - xm)).sum(), ((xw - xm) ** 2).sum())

    # Pass 2: the fast line of the closes.
    if n >= 2:
        f[0] = c[0]
        for i in range(1, n):
            f[i] = (2.0 * d(c[i]) + (FAST_N - 1) * d(f[i - 1])) / (FAST_N + 1)

    # Pass 3: the slow line of the close projected along its slope.
    if slope_ran:
        w[20] = d(c[20]) + 38.0 * d(s[20])
        for i in range(21, n):
            w[i] = (2.0 * (d(c[i]) + 19.0 * d(s[i])) + (SLOW_M - 1) * d(w[i - 1])) / (SLOW_M + 1)

    # Pass 4: the boosted price and the fast line over it.
    for i in range(min(20, n)):
        b[i] = c[i]

    def fast(i):
        f[i] = (2.0 * d(b[i]) + (FAST_N - 1) * d(f[i - 1])) / (FAST_N + 1)

    if n > 20:
        # Sweep A: a strong rise closing near its high while below the slow line.
        for i in range(20, n):
            r = 0.028
            for k in range(i - 4, i):
                r = max(r, quotient(d(c[k]) - d(c[k - 1]), d(c[k - 1])))
            near_high = d(h[i]) != d(o[i]) and \
                quotient(d(c[i]) - d(o[i]), d(h[i]) - d(o[i])) > 0.8
            rise = quotient(d(c[i]) - d(c[i - 1]), d(c[i - 1]))
            if d(w[i]) > d(f[i]) and near_high and rise > r:
                b[i] = 2.0 * (d(c[i]) - d(c[i - 1])) + d(c[i - 1])
            else:
                b[i] = c[i]
            fast(i)
        # Sweep B: the crossings push the boosted price further.
        pf, pb = f[20], b[20]
        for i in range(20, n):
            before_f, before_b = f[i], b[i]
            if d(f[i]) > d(w[i]) and d(w[i - 1]) > d(pf):
                b[i] = max(d(pb) * 1.04, abs(d(b[i]) - d(pb)) * 4.0 + d(pb))
            elif d(w[i]) > d(f[i]) and d(pf) > d(w[i - 1]) and d(c[i]) > d(c[i - 1]):
                b[i] = abs(d(b[i]) - d(pb)) * 4.0 + d(pb)
            fast(i)
            pf, pb = before_f, before_b
        # Sweep C: the upward crossing on a rising close, then the cap.
        pf, qb, pc = f[20], b[20], b[20]
        for i in range(20, n):
            before_f, before_b = f[i], b[i]
            if d(f[i]) > d(w[i]) and d(w[i - 1]) > d(pf) and d(c[i]) > d(c[i - 1]):
                b[i] = max(d(qb) * 1.04, abs(d(b[i]) - d(qb)) * 4.0 + d(qb))
            after_rule = b[i]
            if d(b[i]) > d(pc) * 2.3:
                b[i] = d(pc) * 1.3
            fast(i)
            pf, qb, pc = before_f, before_b, after_rule

    # Pass 5: the states from where the two lines meet between i - 1 and i.
    if n >= 22:
        for i in range(21, n):
            num = d(f[i - 1]) - d(w[i - 1])
            den = d(w[i]) - d(w[i - 1]) - d(f[i]) + d(f[i - 1])
            if den == 0.0:
                t = float("nan") if num == 0.0 else float("inf")
            else:
                t = float(F32(num / den))
            cross = 0.0 <= t <= 1.0  # a NaN never crosses
            if d(f[i - 1]) >= d(w[i - 1]):
                state[i] = 3 if cross else 4
            else:
                state[i] = 1 if cross else 2
    return s, f, w, b, state


class Lcg:
    """A small deterministic generator, so the inputs need no numpy seed."""

    def __init__(self, seed):
        self.v = seed

    def next(self):
        self.v = (self.v * 6364136223846793005 + 1442695040888963407) % (1 << 64)
        return (self.v >> 11) / float(1 << 53)


def walk(n, seed, start=10.0, jumps=True):
    """A random walk with rises and falls and a few near-high jumps."""
    g = Lcg(seed)
    opens, closes, highs = [], [], []
    price = start
    for i in range(n):
        phase = 1.0 if (i // 60) % 2 == 0 else -1.0
        change = phase * 0.004 + (g.next() - 0.5) * 0.03
        if jumps and g.next() < 0.06:
            change = 0.05 + g.next() * 0.04
        op = F32(price * (1.0 + (g.next() - 0.5) * 0.004))
        cl = F32(price * (1.0 + change))
        hi = F32(max(d(op), d(cl)) * (1.0 + g.next() * 0.004 * (0 if change > 0.05 else 1)))
        opens.append(op)
        closes.append(cl)
        highs.append(hi)
        price = d(cl)
    return opens, closes, highs


def chart_records(bars_open, bars_close, bars_high, bars_volume):
    """The chart's input: 55 warm-up records from the table, then the bars."""
    p = []
    prev = F32((1.0 + d(F32(WARMUP[0])) / 100.0) * d(bars_close[0]))
    p.append(prev)
    for k in range(1, 55):
        prev = F32((1.0 + d(F32(WARMUP[k])) / 100.0) * d(prev))
        p.append(prev)
    opens = list(p) + list(bars_open)
    closes = list(p) + list(bars_close)
    highs = [F32(d(v) * 1.01) for v in p] + list(bars_high)
    xs = [F32(k + 1) for k in range(55)] + [F32(i + 56) for i in range(len(bars_close))]
    return opens, closes, highs, xs


def write_case(out, name, opens, closes, highs, xs):
    s, f, w, b, state = run(opens, closes, highs, xs)
    out.write("case %s %d\n" % (name, len(closes)))
    for i in range(len(closes)):
        values = [opens[i], closes[i], highs[i], xs[i], s[i], f[i], w[i], b[i]]
        out.write(" ".join("%.9g" % d(v) for v in values) + " %d\n" % state[i])


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else "."
    with open(folder + "/ema_slope_golden.txt", "w") as out:
        out.write("# open close high x slope fast slow boosted state, per record\n")
        for name, n, seed in (("short-19", 19, 1), ("short-21", 21, 2), ("short-22", 22, 3),
                              ("walk-300", 300, 4), ("walk-500", 500, 5)):
            o, c, h = walk(n, seed)
            write_case(out, name, o, c, h, [F32(i + 1) for i in range(n)])
        flat = [F32(10.0)] * 40
        write_case(out, "flat-high-equals-open", flat, flat, flat, [F32(i + 1) for i in range(40)])
        # The chart's driver: warm-up records, then 5-minute bars.
        o, c, h = walk(160, 6, start=8.0)
        oc, cc, hc, xc = chart_records(o, c, h, None)
        write_case(out, "chart-warmup-160", oc, cc, hc, xc)


if __name__ == "__main__":
    main()
