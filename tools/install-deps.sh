#!/usr/bin/env bash
# Installs what the build, the tests and the demo need on a Debian machine,
# only when something is missing. Needs root (or sudo).
set -eu

packages=(
  cmake ninja-build g++ pkg-config
  googletest libgtest-dev
  libcurl4-openssl-dev libpugixml-dev libudev-dev
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix mingw-w64-tools
  wine64 xvfb xauth imagemagick xdotool
  curl liblnk-utils
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -q >/dev/null
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${missing[@]}" >/dev/null
