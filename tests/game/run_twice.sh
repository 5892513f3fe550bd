#!/usr/bin/env bash
# Runs the game twice under the whole-game harness, each time in a fresh
# copy of the made run folder, and requires the same checksum for every
# presented frame, the title reached, and an empty leak dump.
# Usage: run_twice.sh [--once] [--observed OBSERVED_GAME] GAME RUN_FOLDER SCRIPT WORK_FOLDER MIN_FRAMES [RANKING_SERVER]
# The two runs go side by side. With --observed the second run is the
# observed program (tests/game/observed_game.cpp): the same game, which
# notes what it reaches in observed.txt; its frames must equal the plain
# program's, and the script's "#! reach" lines are checked against it. The
# observed program also keeps a picture of each screen it reaches; they end
# up in WORK_FOLDER/screens/start-N/, to be looked at. With --once only the
# second run is made (the observed one, when there is one), with every check
# but the comparison: for a road whose two runs would cost too much.
#
# A script may start the game more than once in the same folder, and check
# what the runs left behind, through lines the harness reads as comments:
#   #! restart              the game ends here; the lines after it run in a new start
#   #! ends-before N        this start ended by itself before presenting N frames
#   #! log TEXT             this start's Log.txt holds TEXT (UTF-8)
#   #! no-log TEXT          this start's Log.txt does not hold TEXT
#   #! file PATH HEX        after the last start, the file holds exactly these bytes
#   #! bytes PATH AT HEX    after the last start, the file holds these bytes from offset AT
#   #! ranking-server       every start talks to a ranking server of the run's own on loopback
#   #! reach EVENT          this start reached EVENT (a line of observed.txt, its frame
#                           number left out): the start's reach lines must all be found
#                           there, in the script's order
set -euo pipefail
observed= once=
if [ "${1:-}" = --once ]; then
  once=1
  shift
fi
if [ "${1:-}" = --observed ]; then
  observed=$2
  shift 2
fi
game=$1 run=$2 script=$(realpath "$3") work=$4 min_frames=$5 ranking_server=${6:-}
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

# A ranking server on a free loopback port, its scores in the pass's folder;
# prints the port once the server listens.
start_ranking_server() {
  local folder=$1 port
  for _ in 1 2 3 4 5 6 7 8; do
    port=$((20000 + RANDOM % 40000))
    "$ranking_server" --port "$port" --db "$folder/ranking.db" > "$folder/ranking.log" 2>&1 &
    echo $! > "$folder/ranking.pid"
    for _ in $(seq 50); do
      if grep -q "ranking server on" "$folder/ranking.log"; then
        echo "$port"
        return 0
      fi
      kill -0 "$(cat "$folder/ranking.pid")" 2>/dev/null || break
      sleep 0.1
    done
    kill "$(cat "$folder/ranking.pid")" 2>/dev/null || true
  done
  echo "the ranking server did not start: $(cat "$folder/ranking.log")" >&2
  return 1
}

# The reach lines of a start's script, in order, each found in the
# observed events after the one found for the line before it.
check_reached() {
  local part=$1 events=$2 where=$3 at=0 expected found
  while IFS= read -r expected; do
    found=$(awk -v from="$at" -v want="$expected" '{ sub(/ @[0-9]+$/, "") } NR > from && $0 == want { print NR; exit }' "$events")
    if [ -z "$found" ]; then
      echo "$where: did not reach \"$expected\" (after event $at of $events):"
      sed -n "$((at > 3 ? at - 3 : 1)),\$p" "$events" | head -40
      exit 1
    fi
    at=$found
  done < <(directives "$part" reach)
}

run_pass() {
  local pass=$1 starts total start part frames log n text path at hex got
  mkdir -p "$work/$pass"
  cp -r "$run"/. "$work/$pass"/
  # A runtime folder of the run's own: the second-copy lock then meets no
  # other game run, here or in a build beside this one.
  mkdir -p "$work/runtime$pass" && chmod 700 "$work/runtime$pass"
  if grep -q "^#! ranking-server" "$script"; then
    local port
    port=$(start_ranking_server "$work/$pass")
    export VEZIV_RANKING_SEND="http://127.0.0.1:$port/send/" VEZIV_RANKING_FETCH="http://127.0.0.1:$port/board/"
    trap "kill \"\$(cat '$work/$pass/ranking.pid')\" 2>/dev/null || true" EXIT
  fi
  starts=$(split_script "$work/$pass")
  total=0
  local program=$game
  [ "$pass" = 2 ] && [ -n "$observed" ] && program=$observed
  for start in $(seq 1 "$starts"); do
    part="$work/$pass/start-$start.harness"
    (cd "$work/$pass" && XDG_RUNTIME_DIR="$work/runtime$pass" VEZIV_HARNESS="$part" "$program")
    mv "$work/$pass/harness-frames.txt" "$work/$pass/harness-frames-$start.txt"
    if [ "$program" = "$observed" ]; then
      mv "$work/$pass/observed.txt" "$work/$pass/observed-$start.txt"
      mkdir -p "$work/screens/start-$start"
      find "$work/$pass" -maxdepth 1 -name 'screen-*.png' -exec mv -t "$work/screens/start-$start" {} +
      check_reached "$part" "$work/$pass/observed-$start.txt" "pass $pass, start $start"
    fi
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
  while read -r path at hex; do
    got=$(od -An -v -tx1 -j "$at" -N $((${#hex} / 2)) "$work/$pass/$path" 2>/dev/null | tr -d ' \n' || true)
    if [ "$got" != "$hex" ]; then
      echo "pass $pass: $path holds '$got' from byte $at, not '$hex'"
      exit 1
    fi
  done < <(directives "$script" bytes)
}

if [ -n "$once" ]; then
  ( run_pass 2 ) > "$work.pass2.log" 2>&1 || status=1
  cat "$work.pass2.log"
  rm -f "$work.pass2.log"
  [ "${status:-0}" -eq 0 ] || exit 1
  echo "the run presented $(cat "$work"/2/harness-frames-*.txt | wc -l) frames"
  exit 0
fi
( run_pass 1 ) > "$work.pass1.log" 2>&1 &
first=$!
( run_pass 2 ) > "$work.pass2.log" 2>&1 &
second=$!
status=0
wait "$first" || status=1
wait "$second" || status=1
cat "$work.pass1.log" "$work.pass2.log"
rm -f "$work.pass1.log" "$work.pass2.log"
[ "$status" -eq 0 ] || exit 1
for frames in "$work"/1/harness-frames-*.txt; do
  name=$(basename "$frames")
  if ! cmp "$frames" "$work/2/$name"; then
    diff "$frames" "$work/2/$name" | head -20
    echo "the two runs presented different frames ($name)"
    exit 1
  fi
done
echo "both runs presented the same $(cat "$work"/1/harness-frames-*.txt | wc -l) frames"
