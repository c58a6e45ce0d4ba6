#!/usr/bin/env bash
# Installs, once, every Debian package the build and the tests need. Safe to run again:
# it only calls apt-get when a package is missing.
set -euo pipefail

PACKAGES=(
  cmake make g++ file python3 x11-utils
  g++-mingw-w64-i686 binutils-mingw-w64-i686 mingw-w64-i686-dev libz-mingw-w64-dev
  g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
  wine wine32:i386 wine64 fonts-wine xvfb imagemagick x11-apps xdotool
  googletest libgtest-dev zlib1g-dev libdeflate-dev
  clang libclang-rt-14-dev libfuzzer-14-dev
  zip unzip p7zip-full nsis osslsigncode openssl
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "setup: installing ${missing[*]}"
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq "${missing[@]}" >/dev/null
echo "setup: done"
