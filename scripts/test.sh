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

bash scripts/build.sh build
(cd build && ctest --output-on-failure -j "$(nproc)") || status=1

bash scripts/build.sh build-asan -DCORVALIS_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
(cd build-asan && ctest --output-on-failure -j "$(nproc)") || status=1

if [ -x scripts/fuzz.sh ]; then
  bash scripts/fuzz.sh || status=1
fi
exit $status
