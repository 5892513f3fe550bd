#!/usr/bin/env bash
# Installs what is missing, builds the game and the demo data tool, makes
# the run folder run/ from data/ and starts the game in it.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh
build=build
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVEZIV_TESTS=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target game demodata
"$build"/tools/demodata/demodata gen --src data --out run --jobs "$(nproc)"
cd run
exec ../"$build"/game/game
