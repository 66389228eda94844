#!/usr/bin/env bash
# KivUpdate against the stand-in: makes a demo installation and an update
# server folder under build/demo-update/, serves the folder with kivstandin
# (--update-root) on a free port, points the installation's config.ini at
# it and runs KivUpdate in the installation, on the display when there is
# one. Needs a plain build (build/release).
#
#   bash scripts/updater-demo.sh              update the demo installation
#   bash scripts/updater-demo.sh --stop-midway
#        every file is served 1.5 s late, the prompts are answered at once,
#        and the stand-in is stopped while the files are being fetched: the
#        old installation stays as it was, and its program is started
#
# The demo's main program is a small script standing in for the terminal:
# each start appends a line (which version started) to desk-started.txt in
# the installation. Run the script again to start from a fresh installation.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$root/build/release
standin=$build/tools/standin/kivstandin
updater=$build/updater/KivUpdate
for program in "$standin" "$updater"; do
  if [ ! -x "$program" ]; then
    echo "updater-demo: $program is missing; build first: cmake --build build/release" >&2
    exit 1
  fi
done

midway=0
[ "${1:-}" = "--stop-midway" ] && midway=1

demo=$root/build/demo-update
rm -rf "$demo"
mkdir -p "$demo/installed" "$demo/server/plugins"

desk() {  # desk <version>: the stand-in main program of that version
  printf '#!/bin/sh\necho "RYKIVDesk %s started in $(pwd)" >> desk-started.txt\n' "$1"
}

# The update server's folder: version 2 of the program, a plugin and the
# manifest that names the list and the versions (the stand-in makes the
# server's config.ini).
desk 2 > "$demo/server/RYKIVDesk"
printf 'plugin, version 2\n' > "$demo/server/plugins/chart.dat"
{
  echo "list kivupdate.dat 0"
  echo "version RYKIVDesk 2 0"
  echo "version plugins/chart.dat 2 0"
  [ "$midway" = 1 ] && echo "delay 1500"
} > "$demo/server/update-manifest.txt"

log=$demo/standin.log
"$standin" --market-port 0 --block-port 0 --list-port 0 --http-port 0 --update-root "$demo/server" > "$log" 2>&1 &
standin_pid=$!
trap 'kill "$standin_pid" 2>/dev/null || true' EXIT
for _ in $(seq 100); do
  grep -q '^ports ' "$log" && break
  sleep 0.1
done
http=$(sed -n 's/^ports .*http=\([0-9]*\).*/\1/p' "$log")
[ -n "$http" ] || { echo "updater-demo: the stand-in did not start:" >&2; cat "$log" >&2; exit 1; }

config() {
  printf '[KIVCONFIG]\r\nCName=RYKIVDesk\r\nName=RYKIVDesk\r\nAddr=http://127.0.0.1:%s/update\r\ndataName=kivupdate.dat\r\nconName=kiv\r\nType=0\r\n' "$http"
}
# The installation: version 1 of the program, no package list yet (every
# file of the server's list is new to it).
config > "$demo/installed/config.ini"
desk 1 > "$demo/installed/RYKIVDesk"
chmod 755 "$demo/installed/RYKIVDesk"

echo "update server: http://127.0.0.1:$http/update (folder $demo/server)"
echo "installation:  $demo/installed"
cd "$demo/installed"
if [ "$midway" = 1 ]; then
  KIV_UPDATE_ANSWERS=yes,ok "$updater" &
  updater_pid=$!
  sleep 2.5  # the prompts are answered at once; the first files are on their way
  echo "stopping the stand-in in the middle of the downloads"
  kill "$standin_pid"
  wait "$updater_pid" || true
else
  "$updater"
fi
sleep 0.5  # the started program writes its line
echo "installed files:"
(cd "$demo/installed" && find . -path ./temp -prune -o -type f -print | sort)
echo "desk-started.txt:"
cat "$demo/installed/desk-started.txt" 2>/dev/null || echo "(the program was not started)"
