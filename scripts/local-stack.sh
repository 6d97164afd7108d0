#!/usr/bin/env bash
# The local stand-in for the Corvalis service, on loopback only:
#   the tunnel server of the delivered user.conf: sshd on 127.0.0.1:2222 (password login),
#   and its SOCKS proxy: microsocks on 127.0.0.1:1080.
# The SSH account the service hands out at login arrives with the service's web stand-in.
# Usage: local-stack.sh start|stop
set -euo pipefail
state="${XDG_RUNTIME_DIR:-/tmp}/corvalis-local-stack"
mkdir -p "$state"

start_sshd() {
  [ -x /usr/sbin/sshd ] || return 0
  [ -f "$state/host_key" ] || ssh-keygen -q -t ed25519 -N '' -f "$state/host_key"
  cat > "$state/sshd_config" <<CFG
ListenAddress 127.0.0.1
Port 2222
HostKey $state/host_key
PidFile $state/sshd.pid
PasswordAuthentication yes
KbdInteractiveAuthentication no
UsePAM no
AllowTcpForwarding yes
PermitRootLogin no
CFG
  if [ "$(id -u)" -eq 0 ]; then
    mkdir -p /run/sshd
    /usr/sbin/sshd -f "$state/sshd_config" || echo "local stack: sshd did not start" >&2
  else
    echo "local stack: sshd needs root; the tunnel server is not started" >&2
  fi
}

start_socks() {
  command -v microsocks >/dev/null || return 0
  microsocks -i 127.0.0.1 -p 1080 >/dev/null 2>&1 &
  echo $! > "$state/microsocks.pid"
}

stop_pidfile() {
  [ -f "$1" ] && kill "$(cat "$1")" 2>/dev/null || true
  rm -f "$1"
}

case "${1:-}" in
  start) start_sshd; start_socks ;;
  stop) stop_pidfile "$state/sshd.pid"; stop_pidfile "$state/microsocks.pid" ;;
  *) echo "usage: $0 start|stop" >&2; exit 2 ;;
esac
