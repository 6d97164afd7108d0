#!/usr/bin/env bash
# Installs the Debian packages needed to build, run and test Corvalis.
# Idempotent: apt-get only acts on what is missing.
set -euo pipefail

packages=(
  # toolchain
  cmake ninja-build ccache g++ clang libclang-rt-14-dev pkg-config git
  # libraries
  qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev qt6-qpa-plugins
  libtorrent-rasterbar-dev libboost-dev libssl-dev libcurl4-openssl-dev
  # the font compiled into the programs
  fonts-urw-base35
  # programs the system starts
  openssh-client iputils-ping procps
  # test services and desktop
  openssh-server microsocks vsftpd opentracker xvfb trayer xdotool x11-utils
  python3 curl
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
