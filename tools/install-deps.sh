#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when missing.
set -euo pipefail
packages=(
  cmake g++ make pkg-config clang-format-14
  libgtest-dev libbenchmark-dev clang libclang-rt-dev
  libx11-dev libxext-dev libfreetype-dev libfontconfig-dev fonts-comic-neue
  libpng-dev zlib1g-dev libgtk-3-dev libxml2-utils
  libxrandr-dev libxinerama-dev
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-win32 wine wine64 wine32:i386
  xvfb xdotool x11-utils libxfixes3 imagemagick openbox
  xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils
  zip unzip p7zip-full zopfli python3 python3-cryptography dpkg-dev file
  libwayland-dev libwayland-bin wayland-protocols libxkbcommon-dev
  librust-wayland-protocols-dev plasma-wayland-protocols
  sway grim wtype swayidle swaylock weston libegl-mesa0 libgl1-mesa-dri
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO=sudo
# The 32-bit stub (build/windows-x86) runs under Wine's 32-bit half.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
