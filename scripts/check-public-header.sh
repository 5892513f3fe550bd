#!/usr/bin/env bash
# The library's face: a program (the game, and the whole-window tests that
# drive the library as a program does) includes library/veziv.h and nothing
# else of the library, and veziv.h itself includes only standard headers.
# Prints each offending line and fails when there is one.
# Usage: check-public-header.sh [project root]
set -uo pipefail
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$root" || exit 2
status=0
offending=$(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]library/' game tests/window \
              --include='*.h' --include='*.cpp' | grep -vE '[<"]library/veziv\.h[">]')
if [ -n "$offending" ]; then
  echo "A program includes the library's own headers; it may include library/veziv.h alone:"
  echo "$offending"
  status=1
fi
own=$(grep -nE '^[[:space:]]*#[[:space:]]*include' library/veziv.h | grep -vE '#[[:space:]]*include[[:space:]]*<c[a-z]+>')
if [ -n "$own" ]; then
  echo "library/veziv.h includes more than the standard library:"
  echo "$own"
  status=1
fi
[ $status -eq 0 ] && echo "The game and the whole-window tests include library/veziv.h alone."
exit $status
