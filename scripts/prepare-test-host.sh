#!/usr/bin/env bash
# One-time host preparation that the test fixtures cannot do for themselves.
set -euo pipefail
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
# sshd insists on its privilege-separation folder.
$SUDO mkdir -p /run/sshd
$SUDO chmod 0755 /run/sshd
# The tunnel tests' sshd logs in this dedicated user with a password; it gets no usable shell.
if ! id corvalis-tunnel >/dev/null 2>&1; then
  $SUDO useradd --system --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin \
    corvalis-tunnel
fi
echo 'corvalis-tunnel:Hw-tunnel-test-7319' | $SUDO chpasswd
# The Debian vsftpd package starts its own daemon on port 21, which the updater tests need
# for their loopback server (the update account's port); the system one is stopped.
if command -v systemctl >/dev/null 2>&1 && systemctl is-active --quiet vsftpd 2>/dev/null; then
  $SUDO systemctl stop vsftpd
fi
if [ -x /etc/init.d/vsftpd ] && pgrep -x vsftpd >/dev/null 2>&1; then
  $SUDO /etc/init.d/vsftpd stop >/dev/null 2>&1 || true
fi
