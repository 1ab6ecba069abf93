#!/usr/bin/env bash
# The ThreadSanitizer step: builds the tests of the MIDI layer, the post rings and
# the real-time engine with -fsanitize=thread in build-tsan/ (override with
# QL_TSAN_BUILD_DIR) and runs them. Any race report, or any failing test, fails
# the step. Of the tests only those are built; the libraries are built (all but the
# headless tests' unused GTK backend), since the engine's tests link every layer
# (they install every layer's service tables). -g1 gives the race reports their
# stack traces (file, line and inlined frames) without the cost of local-variable
# records. The race checks need no optimisation, and -O0 compiles fastest; without
# ccache the standard headers are precompiled (with it, a warm cache is faster
# still).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${QL_TSAN_BUILD_DIR:-$top/build-tsan}
build_options=(-DQL_PCH=ON)
if command -v ccache >/dev/null 2>&1; then
  build_options=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O0 -g1" \
  -DQL_TSAN=ON -DQL_WERROR=ON "${build_options[@]}" >/dev/null
cmake --build "$build" -j "$(nproc)" --target platform_tests sequencer_tests
export TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1 second_deadlock_stack=1}
# The synthesizer's OpenMP threads are not instrumented, so ThreadSanitizer cannot
# see their synchronisation: one thread keeps the synthesizer on the caller's.
export OMP_NUM_THREADS=1
cd "$build/bin"
./platform_tests --gtest_brief=1
./sequencer_tests --gtest_brief=1
