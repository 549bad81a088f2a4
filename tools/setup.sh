#!/usr/bin/env bash
# Installs the Debian 12 packages Vorlix needs to build, run and test, when
# they are missing. Safe to run again.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git python3
  libgtest-dev libgmock-dev googletest
  qt6-base-dev libgl-dev qt6-wayland
  libxcb1-dev libxcb-ewmh-dev libxcb-icccm4-dev
  xvfb xauth openbox x11-utils xdotool imagemagick
  dbus at-spi2-core python3-pyatspi gir1.2-atspi-2.0 orca
  g++-mingw-w64-x86-64-posix wine64 wine
  clang-14 libclang-rt-14-dev
  libwayland-dev wayland-protocols sway xwayland weston phoc x11-xserver-utils
  kwin-wayland plasma-wayland-protocols
  lintian desktop-file-utils appstream nsis unzip
  gnome-shell gjs libsystemd-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo=""; [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
