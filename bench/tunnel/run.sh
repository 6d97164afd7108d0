#!/usr/bin/env bash
# Builds and runs the tunnel benchmark: run.sh [build-dir]. Needs root's test set-up
# (scripts/prepare-test-host.sh) and the fixed ports 26268, 26269 and 1080 free.
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
dir=${1:-$here/build}
cmake -S "$here" -B "$dir" -G Ninja >/dev/null
cmake --build "$dir" --target tunnelbench -j 2 >/dev/null
"$dir/bench/tunnelbench"
