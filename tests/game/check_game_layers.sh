#!/usr/bin/env bash
# The game's folders include one another in one direction only: the battle
# stands alone; the core (the session and the services) stands on the
# battle; the shell (the program and its screens) and the story stand side
# by side on the core, the shell reaching the story through the story-mode hooks
# of the core alone. The registry's ids and their names (registry_ids.h
# with the tables it reads) are data every folder shares: the battle may
# include them from the core. Prints each offending include and fails when
# there is one.
# Usage: check_game_layers.sh [project root]
set -uo pipefail
root=${1:-$(cd "$(dirname "$0")/../.." && pwd)}
cd "$root" || exit 2
status=0
# folder, then the game folders its files may not include
rules=(
  "game/battle core shell story"
  "game/core shell story"
  "game/shell story"
  "game/story shell"
)
for rule in "${rules[@]}"; do
  read -r folder forbidden <<< "$rule"
  for other in $forbidden; do
    offending=$(grep -rnE "^[[:space:]]*#[[:space:]]*include[[:space:]]*[<\"]game/$other/" "$folder" \
                  --include='*.h' --include='*.cpp' --include='*.inc' |
                  grep -vE "[<\"]game/core/registry_(ids\.h|names\.inc|table\.inc)[>\"]")
    if [ -n "$offending" ]; then
      echo "$folder includes game/$other:"
      echo "$offending"
      status=1
    fi
  done
done
[ $status -eq 0 ] && echo "the game's folders include one another in one direction only"
exit $status
