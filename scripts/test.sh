#!/usr/bin/env bash
# Installs what is missing, builds the normal and the ASan+UBSan configuration and runs
# every test of both. The test fixtures start and stop their own loopback servers.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"

bash scripts/install-deps.sh
bash scripts/prepare-test-host.sh

export CCACHE_DIR=${CCACHE_DIR:-$here/.cache/ccache}
status=0
passed=0
failed=0

# Builds one configuration and runs its tests, adding to the totals.
run_configuration() {
  local dir=$1; shift
  local log
  log=$(mktemp)
  if ! bash scripts/build.sh "$dir" "$@"; then
    echo "build of $dir failed" >&2
    status=1
    failed=$((failed + 1))
    return
  fi
  (cd "$dir" && ctest --output-on-failure -j "$(nproc)") 2>&1 | tee "$log" || status=1
  local summary
  summary=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -n 1 || true)
  if [ -n "$summary" ]; then
    local bad total
    bad=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\1/' <<<"$summary")
    total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$summary")
    passed=$((passed + total - bad))
    failed=$((failed + bad))
  else
    status=1
  fi
  rm -f "$log"
}

run_configuration build
run_configuration build-asan -DCORVALIS_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug

if [ -x scripts/fuzz.sh ]; then
  if bash scripts/fuzz.sh; then passed=$((passed + 1)); else failed=$((failed + 1)); status=1; fi
fi

echo "tests: $passed passed, $failed failed"
exit $status
