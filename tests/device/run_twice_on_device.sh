#!/usr/bin/env bash
# The whole-game harness on the device: tests/game/run_twice.sh with any
# device taken (VEZIV_GPU=any: Mesa's llvmpipe where there is no graphics
# card), then a check that the runs did draw on the device. Exits 77 (the
# test is skipped) when no device could be made and the runs fell back to
# the software road.
# Usage: run_twice_on_device.sh GAME RUN_FOLDER SCRIPT WORK_FOLDER MIN_FRAMES [RANKING_SERVER]
set -euo pipefail
work=$4
export VEZIV_GPU=any
# The GL driver is unloaded before the sanitizer's leak check, so what it
# keeps to the end cannot be told apart from the program's own: the runs
# leave that check to the library's leak dump, which run_twice.sh reads.
export ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0"
bash "$(dirname "$0")/../game/run_twice.sh" "$@"
for log in "$work"/*/Log.txt; do
  text=$(iconv -f CP932 -t UTF-8 "$log")
  if ! grep -q "ハードウエアで描画します" <<< "$text"; then
    echo "no device here: $(grep -A3 "グラフィックデバイス" <<< "$text" || true)"
    exit 77
  fi
done
