#!/usr/bin/env bash
# Configures and builds one configuration: build.sh <build-dir> [extra cmake args...]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
dir=$1; shift
cmake -S "$here" -B "$dir" -G Ninja "$@" >/dev/null
cmake --build "$dir" -j "$(nproc)"
