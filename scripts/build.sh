#!/usr/bin/env bash
# Configures and builds one configuration:
#   build.sh <build-dir> [extra cmake args...] [--target <targets...>]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
dir=$1; shift
cmake_args=()
targets=()
while [ $# -gt 0 ]; do
  if [ "$1" = "--target" ]; then shift; targets=("$@"); break; fi
  cmake_args+=("$1"); shift
done
cmake -S "$here" -B "$dir" -G Ninja "${cmake_args[@]}" >/dev/null
if [ ${#targets[@]} -gt 0 ]; then
  cmake --build "$dir" -j "$(nproc)" --target "${targets[@]}"
else
  cmake --build "$dir" -j "$(nproc)"
fi
