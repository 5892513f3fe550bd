#!/usr/bin/env bash
# Runs the game twice under the whole-game harness, each time in a fresh
# copy of the made run folder, and requires the same checksum for every
# presented frame, the title reached, and an empty leak dump.
# Usage: run_twice.sh GAME RUN_FOLDER SCRIPT WORK_FOLDER MIN_FRAMES
set -euo pipefail
game=$1 run=$2 script=$(realpath "$3") work=$4 min_frames=$5
rm -rf "$work"
for pass in 1 2; do
  mkdir -p "$work/$pass"
  cp -r "$run"/. "$work/$pass"/
  # A runtime folder of the run's own: the second-copy lock then meets no
  # other game run, here or in a build beside this one.
  mkdir -p "$work/runtime$pass" && chmod 700 "$work/runtime$pass"
  (cd "$work/$pass" && XDG_RUNTIME_DIR="$work/runtime$pass" VEZIV_HARNESS="$script" "$game")
  frames=$(wc -l < "$work/$pass/harness-frames.txt")
  if [ "$frames" -lt "$min_frames" ]; then
    echo "pass $pass presented $frames frames, fewer than $min_frames"
    exit 1
  fi
  # The harness plugs in one pad for its script's pad bits.
  if ! iconv -f CP932 -t UTF-8 "$work/$pass/Log.txt" | grep -q "パッドの数は 1 個です"; then
    echo "pass $pass: the harness's pad was not found"
    exit 1
  fi
  if ! grep -q $'\tTotal size:0(0.000kb)  Alloc num:0\r' "$work/$pass/Log.txt"; then
    echo "pass $pass: the leak dump is not empty"
    exit 1
  fi
done
if ! cmp "$work/1/harness-frames.txt" "$work/2/harness-frames.txt"; then
  diff "$work/1/harness-frames.txt" "$work/2/harness-frames.txt" | head -20
  echo "the two runs presented different frames"
  exit 1
fi
echo "both runs presented the same $(wc -l < "$work/1/harness-frames.txt") frames"
