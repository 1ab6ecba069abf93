#!/usr/bin/env bash
# Writes cmake/test_times.txt, the measured times of the tests that take a second or
# more, from the last CTest run of the sanitizer build (build-asan/, or the folder
# given): run the tests first (scripts/run-tests.sh), then this. CTest gives each of
# the tests listed at QL_TEST_ALONE_MS or more an entry of its own and starts the
# longest first (cmake/TestShares.cmake); a test not listed runs in a share.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build-asan}
log=$build/Testing/Temporary/LastTest.log
[ -f "$log" ] || { echo "no test run in $build: run the tests first" >&2; exit 1; }
out=$top/cmake/test_times.txt
{
  echo "# Milliseconds and full name of each test that took a second or more in a run of"
  echo "# the sanitizer build's tests (scripts/measure-test-times.sh writes this file)."
  sed -nE 's/^\[       OK \] ([^ ]+) \(([0-9]+) ms\)$/\2 \1/p' "$log" | awk '$1 >= 1000' | sort -k1,1nr -k2
} > "$out"
echo "$(grep -c '^[0-9]' "$out") tests in $out"
