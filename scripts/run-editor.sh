#!/usr/bin/env bash
# Installs what is missing, builds the program (release build in build/) and runs it.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install-deps.sh"
build=${QL_BUILD_DIR:-$top/build}
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQL_BENCHMARKS=OFF
cmake --build "$build" -j "$(nproc)" --target quaverline
exec "$build/bin/quaverline" "$@"
