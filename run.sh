#!/usr/bin/env bash
# Installs what is missing, builds and starts the game in run/ (the demo data joins when it exists).
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh
build=build
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVEZIV_TESTS=OFF >/dev/null
cmake --build "$build" -j "$(nproc)"
mkdir -p run
cd run
exec ../"$build"/game/game
