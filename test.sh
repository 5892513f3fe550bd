#!/usr/bin/env bash
# Installs what is missing, builds with AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs every test through CTest. A full run
# (no arguments) then builds the foundation's and the sound and movie test
# programs once more with ThreadSanitizer and runs their threaded tests (CTest
# label "tsan"), and builds the library's, the platform's and the game's
# modules and the game as a plain Release build in which any warning is an
# error; arguments go to the first ctest only and skip those later runs.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh
jobs=$(nproc)
# Let the compiler cache serve every checkout of the project, wherever it lies.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=true
build=build-test
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" \
  -DCMAKE_C_FLAGS_DEBUG="-O1 -g" -DVEZIV_SANITIZE=ON -DVEZIV_BENCH=ON >/dev/null
cmake --build "$build" -j "$jobs"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# Tests that draw on a rasterizer on the processor (Mesa's llvmpipe) run side
# by side; its threads, one per core for every context, would only fight each
# other there, so each context draws on its own thread.
export LP_NUM_THREADS=0
ctest --test-dir "$build" --output-on-failure -j "$jobs" "$@"
[ $# -eq 0 ] || exit 0

# A plain optimised build warns where the sanitizer build does not; the
# library, the platform and the game must build clean there.
release=build-werror
cmake -S . -B "$release" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVEZIV_TESTS=OFF -DVEZIV_BENCH=OFF \
  -DVEZIV_WERROR=ON >/dev/null
modules=()
for folder in library/*/ platform/*/ game/*/; do
  grep -qs '^veziv_module(' "$folder/CMakeLists.txt" && modules+=("veziv_$(basename "$folder")")
done
cmake --build "$release" -j "$jobs" --target "${modules[@]}" game

tsan=build-tsan
cmake -S . -B "$tsan" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" \
  -DCMAKE_C_FLAGS_DEBUG="-O1 -g" -DVEZIV_TSAN=ON -DVEZIV_BENCH=OFF >/dev/null
cmake --build "$tsan" -j "$jobs" --target foundation_tests sound_movie_tests
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1
ctest --test-dir "$tsan" --output-on-failure -j "$jobs" -L tsan
