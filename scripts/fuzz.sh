#!/usr/bin/env bash
# Builds the bencode parser fuzz target with clang (libFuzzer, ASan+UBSan) in build-fuzz and
# runs it for about a minute over a copy of the seed corpus. Fails on any crash or
# sanitizer report.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"

seconds=${CORVALIS_FUZZ_SECONDS:-60}
export CCACHE_DIR=${CCACHE_DIR:-$here/.cache/ccache}

cmake -S . -B build-fuzz -G Ninja \
  -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang \
  -DCORVALIS_BUILD_FUZZERS=ON -DCORVALIS_BUILD_TESTS=ON -DCORVALIS_SANITIZE=ON
cmake --build build-fuzz --target bencode_fuzzer -j "${CORVALIS_JOBS:-2}"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r tests/fuzz/corpus "$work/corpus"
mkdir -p "$work/artifacts"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}
status=0
build-fuzz/fuzz/bencode_fuzzer -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -print_final_stats=1 -artifact_prefix="$work/artifacts/" "$work/corpus" || status=$?

if [ "$status" -ne 0 ] || [ -n "$(ls -A "$work/artifacts")" ]; then
  echo "fuzz: the bencode parser failed (status $status); failing inputs:" >&2
  mkdir -p build-fuzz/artifacts
  cp -r "$work/artifacts/." build-fuzz/artifacts/ 2>/dev/null || true
  ls -l build-fuzz/artifacts >&2 || true
  exit 1
fi
echo "fuzz: no crash in ${seconds} s"
