#!/usr/bin/env bash
# The main command: installs what is missing, builds the Windows programs into build/bin
# and starts them under Wine.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
tools/setup.sh
cmake -S . -B build/win32 --toolchain cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
cmake --build build/win32 -j"$(nproc)"
echo "Programs in $root/build/bin:"
ls -l build/bin
