#!/bin/bash
# A script's reach lines must catch a run that goes nowhere: the script with
# every line that presses a key, moves the mouse or types deleted must fail
# under run_twice.sh. Usage: fails_without_keys.sh SCRIPT WORK_FOLDER RUN_TWICE_ARGS...
# (the arguments run_twice.sh takes, with the script and work folder left out:
# --observed OBSERVED GAME RUN_FOLDER, then MIN_FRAMES).
set -uo pipefail
script=$1 work=$2
shift 2
rm -rf "$work"
mkdir -p "$work"
stripped="$work/$(basename "$script" .harness)-without-keys.harness"
grep -Ev '^[0-9/-]+ (key|mouse|pad|text|return)( |$)' "$script" > "$stripped"
if cmp -s "$script" "$stripped"; then
  echo "no key line found in $script"
  exit 1
fi
observed=$2 game=$3 run=$4 min_frames=$5
if bash "$(dirname "$0")/run_twice.sh" --observed "$observed" "$game" "$run" "$stripped" "$work/run" 1 \
  > "$work/run_twice.out" 2>&1; then
  echo "$script still passes with its key lines deleted"
  exit 1
fi
grep -q 'did not reach' "$work/run_twice.out" || { cat "$work/run_twice.out"; exit 1; }
echo "without its key lines the script fails as it must: $(grep -m1 'did not reach' "$work/run_twice.out")"
