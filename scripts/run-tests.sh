#!/usr/bin/env bash
# Installs the build packages that are missing (a quick check when none are), builds
# the program with AddressSanitizer and UndefinedBehaviorSanitizer and runs every test
# through CTest. Build folder: build-asan/ (override with QL_BUILD_DIR).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/scripts/install-deps.sh"
build=${QL_BUILD_DIR:-$top/build-asan}
jobs=$(nproc)
# -g1: line tables and function descriptions, all the sanitizers' stack traces use
# (inlined frames included); no local-variable records, which cost compile and
# link time.
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1" -DQL_SANITIZE=ON -DQL_WERROR=ON
cmake --build "$build" -j "$jobs"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
cd "$build"
# Every test but the desktop scenarios first; then the scenarios, which drive the
# real program on virtual displays of their own and wait on its windows, by
# themselves on the machine. A scenario that fails is run once more (a key stroke
# can be lost on a machine this loaded): one that fails twice fails the command.
# A scenario spends most of its time waiting on the program's windows: four run at
# once per core (on two cores, twenty-four scenarios took 72 s four at a time, with
# the cores a third busy, and 40 s eight at a time; twelve gained nothing more), at
# least eight and at most sixteen, which the memory of a small machine holds.
desktop_jobs=$(( jobs * 4 ))
desktop_jobs=$(( desktop_jobs < 8 ? 8 : desktop_jobs > 16 ? 16 : desktop_jobs ))
status=0
ctest --output-on-failure -j "$jobs" -LE 'desktop|gtk' "$@" || status=$?
# The GTK tests drive a real toolkit on a virtual display, which hears the X server's
# configure events on its own clock: like the scenarios, one that fails is run once
# more.
ctest --output-on-failure -j "$jobs" -L gtk --repeat until-pass:2 "$@" || status=$?
ctest --output-on-failure -j "$desktop_jobs" -L desktop --repeat until-pass:2 "$@" || status=$?
exit "$status"
