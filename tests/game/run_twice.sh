#!/usr/bin/env bash
# Runs the game twice under the whole-game harness, each time in a fresh
# copy of the made run folder, and requires the same checksum for every
# presented frame, the title reached, and an empty leak dump.
# Usage: run_twice.sh GAME RUN_FOLDER SCRIPT WORK_FOLDER MIN_FRAMES
#
# A script may start the game more than once in the same folder, and check
# what the runs left behind, through lines the harness reads as comments:
#   #! restart              the game ends here; the lines after it run in a new start
#   #! ends-before N        this start ended by itself before presenting N frames
#   #! log TEXT             this start's Log.txt holds TEXT (UTF-8)
#   #! no-log TEXT          this start's Log.txt does not hold TEXT
#   #! file PATH HEX        after the last start, the file holds exactly these bytes
set -euo pipefail
game=$1 run=$2 script=$(realpath "$3") work=$4 min_frames=$5
rm -rf "$work"

# The starts' scripts: start-1.harness, start-2.harness, ...
split_script() {
  local folder=$1 n=1
  : > "$folder/start-1.harness"
  while IFS= read -r line || [ -n "$line" ]; do
    if [[ "$line" =~ ^#!\ restart ]]; then
      n=$((n + 1))
      : > "$folder/start-$n.harness"
    else
      printf '%s\n' "$line" >> "$folder/start-$n.harness"
    fi
  done < "$script"
  echo "$n"
}

# The argument of each "#! WORD" line of a start's script, one a line.
directives() { sed -n "s/^#! $2 //p" "$1"; }

for pass in 1 2; do
  mkdir -p "$work/$pass"
  cp -r "$run"/. "$work/$pass"/
  # A runtime folder of the run's own: the second-copy lock then meets no
  # other game run, here or in a build beside this one.
  mkdir -p "$work/runtime$pass" && chmod 700 "$work/runtime$pass"
  starts=$(split_script "$work/$pass")
  total=0
  for start in $(seq 1 "$starts"); do
    part="$work/$pass/start-$start.harness"
    (cd "$work/$pass" && XDG_RUNTIME_DIR="$work/runtime$pass" VEZIV_HARNESS="$part" "$game")
    mv "$work/$pass/harness-frames.txt" "$work/$pass/harness-frames-$start.txt"
    frames=$(wc -l < "$work/$pass/harness-frames-$start.txt")
    total=$((total + frames))
    log=$(iconv -f CP932 -t UTF-8 "$work/$pass/Log.txt")
    # The harness plugs in one pad for its script's pad bits.
    if ! grep -q "パッドの数は 1 個です" <<< "$log"; then
      echo "pass $pass, start $start: the harness's pad was not found"
      exit 1
    fi
    if ! grep -q $'\tTotal size:0(0.000kb)  Alloc num:0\r' "$work/$pass/Log.txt"; then
      echo "pass $pass, start $start: the leak dump is not empty"
      exit 1
    fi
    while IFS= read -r n; do
      if [ "$frames" -ge "$n" ]; then
        echo "pass $pass, start $start: presented $frames frames, the game was to end before $n"
        exit 1
      fi
    done < <(directives "$part" ends-before)
    while IFS= read -r text; do
      if ! grep -qF -- "$text" <<< "$log"; then
        echo "pass $pass, start $start: Log.txt lacks \"$text\""
        exit 1
      fi
    done < <(directives "$part" log)
    while IFS= read -r text; do
      if grep -qF -- "$text" <<< "$log"; then
        echo "pass $pass, start $start: Log.txt holds \"$text\""
        exit 1
      fi
    done < <(directives "$part" no-log)
  done
  if [ "$total" -lt "$min_frames" ]; then
    echo "pass $pass presented $total frames, fewer than $min_frames"
    exit 1
  fi
  while read -r path hex; do
    got=$(od -An -v -tx1 "$work/$pass/$path" 2>/dev/null | tr -d ' \n' || true)
    if [ "$got" != "$hex" ]; then
      echo "pass $pass: $path holds '$got', not '$hex'"
      exit 1
    fi
  done < <(directives "$script" file)
done
for frames in "$work"/1/harness-frames-*.txt; do
  name=$(basename "$frames")
  if ! cmp "$frames" "$work/2/$name"; then
    diff "$frames" "$work/2/$name" | head -20
    echo "the two runs presented different frames ($name)"
    exit 1
  fi
done
echo "both runs presented the same $(cat "$work"/1/harness-frames-*.txt | wc -l) frames"
