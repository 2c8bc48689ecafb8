#!/usr/bin/env bash
# Builds and runs every test: the full build (core, CLI, window), the core again under
# AddressSanitizer + UndefinedBehaviorSanitizer, and the find run's several-worker tests under
# ThreadSanitizer. Needs no display: widgets run offscreen.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)
# A test that hangs (a run waiting for rows that never come) fails after this many seconds
# instead of holding CI to its own limit.
timeout=600

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUONDER_BUILD_GUI=ON >/dev/null
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs" --timeout "$timeout"

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUONDER_SANITIZE=ON -DQUONDER_BUILD_GUI=OFF >/dev/null
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs" --timeout "$timeout"

cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUONDER_TSAN=ON -DQUONDER_BUILD_GUI=OFF >/dev/null
cmake --build build-tsan -j "$jobs" --target find_thread_tests
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
  timeout "$timeout" build-tsan/bin/find_thread_tests
