#!/usr/bin/env bash
# A whole-game harness script on the device: tests/game/run_twice.sh with any
# device taken (VEZIV_GPU=any: Mesa's llvmpipe where there is no graphics
# card), one observed run with every check of its script (what it reaches,
# its log lines, the files it leaves), then a check that the run did draw on
# the device. The software road runs each script twice and compares the
# frames; on a rasterizer on the processor a second run would double the
# cost of the longest tests for a comparison the software road already makes.
# Exits 77 (the test is skipped) when no device could be made and the run
# fell back to the software road.
# Usage: run_on_device.sh OBSERVED_GAME GAME RUN_FOLDER SCRIPT WORK_FOLDER MIN_FRAMES [RANKING_SERVER]
set -euo pipefail
observed=$1
shift
work=$4
export VEZIV_GPU=any
# The GL driver is unloaded before the sanitizer's leak check, so what it
# keeps to the end cannot be told apart from the program's own: the run
# leaves that check to the library's leak dump, which run_twice.sh reads.
export ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0"
bash "$(dirname "$0")/../game/run_twice.sh" --once --observed "$observed" "$@"
for log in "$work"/*/Log.txt; do
  text=$(iconv -f CP932 -t UTF-8 "$log")
  if ! grep -q "ハードウエアで描画します" <<< "$text"; then
    echo "no device here: $(grep -A3 "グラフィックデバイス" <<< "$text" || true)"
    exit 77
  fi
done
