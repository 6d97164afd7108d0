#!/usr/bin/env bash
# One-time host preparation that the test fixtures cannot do for themselves.
set -euo pipefail
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
# sshd insists on its privilege-separation folder.
$SUDO mkdir -p /run/sshd
$SUDO chmod 0755 /run/sshd
