#!/usr/bin/env bash
# Installs what the project needs on a Debian 12 machine, builds everything
# and runs every test:
#   1. the plain build: all tests, then every benchmark briefly;
#   2. the tests again under AddressSanitizer + UndefinedBehaviorSanitizer;
#   3. the concurrency tests under ThreadSanitizer;
#   4. each fuzz target (clang + libFuzzer) for a short bounded run.
# Exits non-zero on the first failure. Build trees live under build/.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
jobs=$(nproc 2>/dev/null || echo 2)
fuzz_seconds=${KIV_FUZZ_SECONDS:-10}
bench_min_time=${KIV_BENCH_MIN_TIME:-0.05}

packages=(
  build-essential cmake ninja-build ccache pkg-config
  clang libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libboost-dev libboost-system-dev libboost-thread-dev
  zlib1g-dev nlohmann-json3-dev
  libcurl4-openssl-dev python3 python3-numpy
  python3-docx libreoffice-writer-nogui unzip
  libcairo2-dev libpango1.0-dev libsdl2-dev libpng-dev
  xvfb xauth x11-apps imagemagick
  fonts-wqy-zenhei fonts-arphic-uming
)

install_packages() {
  local missing=()
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "== installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

configure() {  # configure <dir> <extra cmake args...>
  local dir=$1
  shift
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
}

run_ctest() {  # run_ctest <dir> <extra ctest args...>
  local dir=$1
  shift
  mkdir -p "$dir/test-tmp" "$dir/test-home/config"
  (cd "$dir" && ctest --output-on-failure --no-tests=error -j "$jobs" "$@")
}

install_packages
export CCACHE_MAXSIZE=${CCACHE_MAXSIZE:-5G}
# Clones in other folders (CI) share the cache: paths are hashed relative.
export CCACHE_BASEDIR="$root"

echo "== plain build"
configure build/release
cmake --build build/release -j "$jobs"
run_ctest build/release

echo "== benchmarks (brief)"
while read -r bench; do
  [ -n "$bench" ] || continue
  "build/release/bench/$bench" --benchmark_min_time="$bench_min_time"
done < build/release/bench-targets.txt

echo "== AddressSanitizer + UndefinedBehaviorSanitizer"
configure build/asan -DKIV_SANITIZE=address -DKIV_BENCH=OFF
cmake --build build/asan -j "$jobs" --target kiv_tests
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  run_ctest build/asan

echo "== ThreadSanitizer (concurrency tests)"
configure build/tsan -DKIV_SANITIZE=thread -DKIV_BENCH=OFF
cmake --build build/tsan -j "$jobs" --target kiv_tests
# ThreadSanitizer cannot map its shadow memory under the address-space
# randomisation of recent kernels; run without it where setarch allows.
tsan_prefix=""
if setarch "$(uname -m)" -R true 2>/dev/null; then
  tsan_prefix="setarch $(uname -m) -R"
fi
mkdir -p build/tsan/test-tmp build/tsan/test-home/config
(cd build/tsan && TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
  $tsan_prefix ctest --output-on-failure --no-tests=ignore -j "$jobs" -L concurrency)

echo "== fuzz targets (${fuzz_seconds}s each)"
CC=clang CXX=clang++ configure build/fuzz -DKIV_FUZZ=ON -DKIV_BENCH=OFF
cmake --build build/fuzz -j "$jobs" --target kiv_tests
while read -r fuzzer; do
  [ -n "$fuzzer" ] || continue
  mkdir -p "build/fuzz/corpus/$fuzzer"
  seeds="tests/fuzz/seeds/${fuzzer#fuzz_}"
  [ -d "$seeds" ] || seeds=""
  log="build/fuzz/$fuzzer.log"
  # Any sanitizer report fails the target, even one that let the run go on.
  if (cd build/fuzz && ASAN_OPTIONS=abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        "tests/fuzz/$fuzzer" -max_total_time="$fuzz_seconds" -rss_limit_mb=2048 \
        -artifact_prefix="$fuzzer-" "corpus/$fuzzer" ${seeds:+"$root/$seeds"}) >"$log" 2>&1 &&
     ! grep -qE 'runtime error:|ERROR: [A-Za-z]+Sanitizer|SUMMARY: [A-Za-z]+Sanitizer' "$log"; then
    echo "-- $fuzzer: $(grep -E '^#[0-9]+' "$log" | tail -n 1)"
  else
    tail -n 60 "$log"
    echo "fuzz target $fuzzer failed (log: $log)"
    exit 1
  fi
done < build/fuzz/fuzz-targets.txt

echo "== all test runs passed"
