#!/usr/bin/env bash
# Installs what is missing, builds, seeds a per-user configuration from resources/config when
# there is none, brings up the local service stack and starts qvclient (under Xvfb with a tray
# host when there is no display). Ends when qvclient ends.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"

bash scripts/install-deps.sh
export CCACHE_DIR=${CCACHE_DIR:-$here/.cache/ccache}
bash scripts/build.sh build --target qvclient update-qv applauncher

config="${XDG_DATA_HOME:-$HOME/.local/share}/Corvalis"
mkdir -p "$config"
for f in user.conf app.conf clients.conf; do
  if [ ! -e "$config/$f" ]; then
    install -m 0600 "resources/config/$f" "$config/$f"
  fi
done

pids=()
cleanup() {
  bash "$here/scripts/local-stack.sh" stop || true
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
}
trap cleanup EXIT
trap 'exit 130' INT TERM

bash scripts/local-stack.sh start

if [ -z "${DISPLAY:-}" ]; then
  display=:77
  Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
  pids+=($!)
  for _ in $(seq 50); do xdpyinfo -display "$display" >/dev/null 2>&1 && break; sleep 0.1; done
  export DISPLAY=$display
  trayer --edge top --align right --widthtype request --height 24 >/dev/null 2>&1 &
  pids+=($!)
  sleep 1
fi

status=0
"$here/build/bin/qvclient" "$@" || status=$?
exit $status
