#!/usr/bin/env bash
# Runs a command on a virtual X display of its own. Xvfb picks a free display
# number itself and writes it to us (-displayfd), so runs that start at the
# same time never take the same display, as a number chosen beforehand could.
set -u
out=$(mktemp)
trap 'rm -f "$out"' EXIT
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$out" 2>/dev/null &
server=$!
for _ in $(seq 200); do
  [ -s "$out" ] && break
  kill -0 "$server" 2>/dev/null || { echo "Xvfb did not start" >&2; exit 1; }
  sleep 0.05
done
[ -s "$out" ] || { echo "Xvfb gave no display" >&2; kill "$server"; exit 1; }
DISPLAY=":$(head -n 1 "$out")" "$@"
status=$?
kill "$server" 2>/dev/null
wait "$server" 2>/dev/null
exit $status
