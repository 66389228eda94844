#!/usr/bin/env bash
# Installs what the project needs on a Debian 12 machine, builds everything
# and runs every test:
#   1. the plain build: all tests, then every benchmark briefly;
#   2. the tests again under AddressSanitizer + UndefinedBehaviorSanitizer;
#   3. the concurrency tests under ThreadSanitizer;
#   4. each fuzz target (clang + libFuzzer) for a short bounded run.
# Exits non-zero on the first failure. Build trees live under build/. At the
# end (or at a failure) it prints the wall time and the CPU time (user + sys)
# of each phase.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
# shellcheck source=scripts/debian-packages.sh
. scripts/debian-packages.sh
jobs=$(nproc 2>/dev/null || echo 2)
# Many tests spend much of their time waiting (on the stand-in, a link's
# time-out, the X server), so the test runs keep two more going than there
# are cores.
test_jobs=$((jobs + 2))
fuzz_seconds=${KIV_FUZZ_SECONDS:-6}
bench_min_time=${KIV_BENCH_MIN_TIME:-0.05}

packages=(
  build-essential cmake ninja-build ccache pkg-config
  clang libclang-rt-14-dev lld
  libgtest-dev libgmock-dev libbenchmark-dev
  libboost-dev libboost-system-dev libboost-thread-dev
  zlib1g-dev nlohmann-json3-dev
  libcurl4-openssl-dev python3 python3-numpy
  python3-docx libreoffice-writer-nogui unzip
  libcairo2-dev libpango1.0-dev libsdl2-dev libpng-dev libxext-dev
  xvfb xauth x11-apps imagemagick xdotool
  fonts-wqy-zenhei fonts-arphic-uming
  unicode-data
)

# --- phase timings ----------------------------------------------------------
# CPU time is read from the kernel's account of this shell's finished
# children (/proc/<pid>/stat: utime, stime, cutime, cstime), so it covers
# every compiler and test process a phase waited for.
clock_ticks=$(getconf CLK_TCK)
script_start=$(date +%s.%N)
timings=()
current_phase=""

cpu_seconds() {
  awk -v hz="$clock_ticks" '{ sub(/^.*\) /, ""); printf "%.1f", ($12 + $13 + $14 + $15) / hz }' "/proc/$$/stat"
}

timing_line() {  # timing_line <name> <wall seconds> <cpu seconds>
  printf '  %-14s %8.1f s wall %9.1f s cpu\n' "$1" "$2" "$3"
}

phase() {  # phase <name> <command...>: runs the command as one timed phase
  local name=$1
  shift
  echo "== $name"
  current_phase=$name
  phase_wall=$(date +%s.%N)
  phase_cpu=$(cpu_seconds)
  "$@"
  current_phase=""
  timings+=("$(timing_line "$name" "$(awk -v a="$phase_wall" -v b="$(date +%s.%N)" 'BEGIN { print b - a }')" \
    "$(awk -v a="$phase_cpu" -v b="$(cpu_seconds)" 'BEGIN { print b - a }')")")
}

print_timings() {
  local status=$?
  echo "== time of each phase (on $jobs cores)"
  local line
  for line in "${timings[@]}"; do
    echo "$line"
  done
  if [ -n "$current_phase" ]; then
    timing_line "$current_phase (failed)" \
      "$(awk -v a="$phase_wall" -v b="$(date +%s.%N)" 'BEGIN { print b - a }')" \
      "$(awk -v a="$phase_cpu" -v b="$(cpu_seconds)" 'BEGIN { print b - a }')"
  fi
  timing_line total "$(awk -v a="$script_start" -v b="$(date +%s.%N)" 'BEGIN { print b - a }')" "$(cpu_seconds)"
  return $status
}
trap print_timings EXIT

# --- the phases -------------------------------------------------------------
install_packages() {
  local wanted=("${packages[@]}")
  # npm fetches the indicator tests' oracle; a machine with a node.js of its
  # own has npm already (Debian's npm package would conflict with it).
  command -v npm >/dev/null 2>&1 || wanted+=(npm)
  install_debian_packages setup-and-test "${wanted[@]}"
}

# The indicator tests' oracle: Tulip Indicators' C source (one amalgamated
# file), as the npm package tulind carries it, at a pinned version and
# checksum, unpacked into build/oracle. It is built into a test-only library
# and never into the programs. Without it (npm's registry unreachable) the
# oracle comparisons are skipped, saying so; everything else runs.
oracle_package=tulind@0.8.20
oracle_sha256=91913ce9772326d906b0ef2ef4b222e1e9479d7d0ef827428ef9f0000953bc8e
oracle_dir=build/oracle/tulind-0.8.20

fetch_oracle() {
  [ -f "$oracle_dir/external/tiamalgamation.c" ] && return 0
  local tmp tarball attempt
  tmp=$(mktemp -d)
  for attempt in 1 2 3; do
    (cd "$tmp" && npm pack --silent "$oracle_package" >/dev/null 2>"$tmp/npm.log") && break
    sleep $((attempt * 5))
  done
  tarball=$(find "$tmp" -name '*.tgz' | head -n 1)
  if [ -z "$tarball" ]; then
    cat "$tmp/npm.log" >&2 || true
    echo "setup-and-test: WARNING: npm could not fetch $oracle_package; the indicator oracle tests will be skipped" >&2
  elif [ "$(sha256sum "$tarball" | cut -d ' ' -f 1)" != "$oracle_sha256" ]; then
    echo "setup-and-test: $oracle_package does not have the pinned checksum; not using it" >&2
    rm -rf "$tmp"
    return 1
  else
    mkdir -p "$oracle_dir"
    tar -xzf "$tarball" -C "$oracle_dir" --strip-components=1 --no-same-owner --no-same-permissions \
      package/external package/LICENSE
  fi
  rm -rf "$tmp"
}

# The sanitizer and fuzz trees are built whole far more often than a file of
# them is rebuilt: larger unity batches make them cheaper still. The plain
# tree keeps the default, which suits day-to-day rebuilds.
sanitizer_batch=-DKIV_UNITY_BATCH=16

configure() {  # configure <dir> <extra cmake args...>
  local dir=$1
  shift
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
}

run_ctest() {  # run_ctest <dir> <extra ctest args...>
  local dir=$1
  shift
  mkdir -p "$dir/test-tmp" "$dir/test-home/config"
  (cd "$dir" && $ctest_prefix ctest --output-on-failure --no-tests=error -j "$test_jobs" "$@")
}
ctest_prefix=""

# A test's CTest name must say what it tests and stay the same from build to
# build, or `ctest -R` cannot name it: a parameter without a printable name
# shows up as its raw bytes ("N-byte object <...>", pointers among them) or
# as a bare index. Every INSTANTIATE_TEST_SUITE_P passes a name generator
# (tests/support/CaseName.h).
check_test_names() {  # check_test_names <dir>
  local bad
  bad=$(cd "$1" && ctest -N | grep -E -- '-byte object|GetParam\(\)|0x[0-9a-fA-F]{4,}|/[0-9]+$' || true)
  if [ -n "$bad" ]; then
    echo "$bad"
    echo "these test names hold raw bytes, addresses or bare indexes: give the parameters a name generator"
    exit 1
  fi
}

build_plain() {
  configure build/release
  cmake --build build/release -j "$jobs"
}

plain_tests() {
  check_test_names build/release
  run_ctest build/release
}

run_benchmarks() {
  local bench
  while read -r bench; do
    [ -n "$bench" ] || continue
    "build/release/bench/$bench" --benchmark_min_time="$bench_min_time"
  done < build/release/bench-targets.txt
}

build_asan() {
  configure build/asan -DKIV_SANITIZE=address -DKIV_BENCH=OFF "$sanitizer_batch"
  cmake --build build/asan -j "$jobs" --target kiv_tests
}

asan_tests() {
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    run_ctest build/asan
}

build_tsan() {
  configure build/tsan -DKIV_SANITIZE=thread -DKIV_BENCH=OFF "$sanitizer_batch"
  cmake --build build/tsan -j "$jobs" --target kiv_tests
}

tsan_tests() {
  # ThreadSanitizer cannot map its shadow memory under the address-space
  # randomisation of recent kernels; run without it where setarch allows.
  local ctest_prefix=""
  if setarch "$(uname -m)" -R true 2>/dev/null; then
    ctest_prefix="setarch $(uname -m) -R"
  fi
  TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 run_ctest build/tsan -L concurrency
}

build_fuzz() {
  CC=clang CXX=clang++ configure build/fuzz -DKIV_FUZZ=ON -DKIV_BENCH=OFF "$sanitizer_batch"
  cmake --build build/fuzz -j "$jobs" --target kiv_tests
}

run_fuzzer() {  # run_fuzzer <target>: one bounded run; its log when it fails
  local fuzzer=$1 seeds log
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
    return 1
  fi
}

# Each target runs on one core for its bounded time: as many at once as
# there are cores.
run_fuzzers() {
  local fuzzer failed=0
  local running=()
  while read -r fuzzer; do
    [ -n "$fuzzer" ] || continue
    run_fuzzer "$fuzzer" &
    running+=($!)
    if [ ${#running[@]} -ge "$jobs" ]; then
      wait "${running[0]}" || failed=1
      running=("${running[@]:1}")
    fi
  done < build/fuzz/fuzz-targets.txt
  for pid in "${running[@]}"; do
    wait "$pid" || failed=1
  done
  [ "$failed" -eq 0 ]
}

phase install install_packages
phase oracle fetch_oracle
export CCACHE_MAXSIZE=${CCACHE_MAXSIZE:-5G}
# Clones in other folders (CI) share the cache: paths are hashed relative.
export CCACHE_BASEDIR="$root"

phase "plain build" build_plain
phase "plain tests" plain_tests
phase "benchmarks" run_benchmarks
phase "asan build" build_asan
phase "asan tests" asan_tests
phase "tsan build" build_tsan
phase "tsan tests" tsan_tests
phase "fuzz build" build_fuzz
phase "fuzz runs" run_fuzzers

echo "== all test runs passed"
