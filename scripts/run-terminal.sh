#!/usr/bin/env bash
# Runs the terminal RYKIVDesk against the stand-in on this machine's display:
#   1. installs the Debian packages the build and the display need (sudo
#      when not root), builds RYKIVDesk, kivstandin and kivdesk_settings in
#      build/release;
#   2. makes a run folder, build/run-terminal/, with a settings folder of its
#      own (the login settings are kept there, not in your ~/.config);
#   3. starts kivstandin on loopback on free ports and writes kivdesk.ini's
#      [Servers] for it;
#   4. pre-fills the login as ry0001 / 123456 with the password remembered
#      (--auto also ticks automatic login: the login goes by itself after
#      three seconds);
#   5. runs RYKIVDesk in the run folder on the display, and stops kivstandin
#      when it ends.
# The stand-in's accounts are printed before the terminal starts.
# KIV_BUILD_JOBS sets the build's parallel jobs (default: every core).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
# shellcheck source=scripts/debian-packages.sh
. scripts/debian-packages.sh

auto_login=0
standin_now=()
while [ $# -gt 0 ]; do
  case "$1" in
    --auto) auto_login=1 ;;
    --now)
      [ $# -ge 2 ] || { echo "run-terminal: --now needs a time" >&2; exit 2; }
      standin_now=(--now "$2")
      shift ;;
    -h|--help)
      echo "usage: bash scripts/run-terminal.sh [--auto] [--now 'YYYY-MM-DD HH:MM:SS']"
      echo "  --auto  tick automatic login as well: the login dialog logs ry0001 in by itself"
      echo "  --now   the stand-in's market clock (Beijing time), e.g. '2026-03-19 14:05:00',"
      echo "          a trading day's afternoon; default: the wall clock"
      exit 0 ;;
    *) echo "run-terminal: unknown option $1 (try --help)" >&2; exit 2 ;;
  esac
  shift
done

packages=(
  build-essential cmake ninja-build ccache pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libboost-dev libboost-system-dev libboost-thread-dev
  zlib1g-dev nlohmann-json3-dev libcurl4-openssl-dev
  libcairo2-dev libpango1.0-dev libsdl2-dev libpng-dev libxext-dev
  fonts-wqy-zenhei fonts-arphic-uming
)

install_packages() {
  install_debian_packages run-terminal "${packages[@]}"
}

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run-terminal: no display (DISPLAY and WAYLAND_DISPLAY are unset); the terminal needs one" >&2
  exit 1
fi

install_packages

echo "== building RYKIVDesk, kivstandin and kivdesk_settings"
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/release --target RYKIVDesk kivstandin kivdesk_settings -j "${KIV_BUILD_JOBS:-$(nproc 2>/dev/null || echo 2)}"

run=$root/build/run-terminal
mkdir -p "$run/settings" "$run/runtime"
chmod 700 "$run/runtime"

# The stand-in, on loopback and free ports: its first line names them.
standin_out=$run/kivstandin.out
: > "$standin_out"
build/release/tools/standin/kivstandin --market-port 0 --block-port 0 --list-port 0 --http-port 0 \
  "${standin_now[@]}" > "$standin_out" 2>&1 &
standin_pid=$!
stop_standin() {
  if kill -0 "$standin_pid" 2>/dev/null; then
    kill -TERM "$standin_pid" 2>/dev/null || true
    wait "$standin_pid" 2>/dev/null || true
  fi
}
trap stop_standin EXIT

ports=""
for _ in $(seq 1 100); do
  ports=$(head -n 1 "$standin_out" 2>/dev/null || true)
  case "$ports" in ports\ *) break ;; esac
  if ! kill -0 "$standin_pid" 2>/dev/null; then
    echo "run-terminal: kivstandin ended at start:" >&2
    cat "$standin_out" >&2
    exit 1
  fi
  sleep 0.1
done
case "$ports" in
  ports\ *) ;;
  *) echo "run-terminal: kivstandin named no ports" >&2; exit 1 ;;
esac
port_of() { echo "$ports" | tr ' ' '\n' | sed -n "s/^$1=//p"; }
market=$(port_of market)
block=$(port_of block)
list=$(port_of list)
http=$(port_of http)

cat > "$run/kivdesk.ini" <<INI
[Servers]
MarketPort=$market
BlockPort=$block
ListHost=127.0.0.1
ListPort=$list
HttpPort=$http
WebHost=127.0.0.1
AccountWebHost=127.0.0.1
AccountApiHost=127.0.0.1
AccountRootHost=127.0.0.1
MakerWebHost=127.0.0.1
INI

# The login settings and the single-instance lock live in the run folder.
export XDG_CONFIG_HOME=$run/settings
export XDG_RUNTIME_DIR=$run/runtime
settings_args=(--user ry0001 --password 123456)
[ "$auto_login" -eq 1 ] && settings_args+=(--auto)
build/release/desk/kivdesk_settings "${settings_args[@]}"

cat <<TEXT
== kivstandin is serving on 127.0.0.1: $ports
   accounts (name / password):
     ry0001 / 123456   a normal account (filled in for you)
     ry0002 / 123456   must read and accept the risk disclosure first
     ry0003 / 123456   has no phone bound: the binding reminder shows
     ry0004 / 123456   always refused
== running RYKIVDesk in $run (kivstandin's log: $standin_out)
TEXT

status=0
(cd "$run" && "$root/build/release/desk/RYKIVDesk") || status=$?
echo "== RYKIVDesk ended with status $status; stopping kivstandin"
exit "$status"
