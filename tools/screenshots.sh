#!/usr/bin/env bash
# Takes the installer's screenshots under Wine and Xvfb and writes them to docs/screenshots:
# installer.png (title and subtitle), progress.png (a larger install under way), browser.png
# (the folder browser with its New folder button), done.png (the completion message).
# The installer tests take them while they drive the installer (UNFURL_SHOTS names the folder).
# Usage: tools/screenshots.sh [BUILD_DIR]   (default build/win32, built first)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
build="${1:-build/win32}"
tools/setup.sh
cmake -S . -B "$build" --toolchain cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
cmake --build "$build" --target test_installer test_getdir UnfurlDelivered -j2

# shellcheck source=tools/wine-env.sh
. tools/wine-env.sh
prefix="$(mktemp -d /tmp/qshots.XXXXXX)"
shots="$(mktemp -d /tmp/qshots-out.XXXXXX)"
cleanup() { q_wine_end; rm -rf "$prefix" "$shots"; }
trap cleanup EXIT
q_xvfb
q_wine_prefix "$prefix"
export UNFURL_SHOTS="Z:${shots//\//\\}"
q_wine "$build/tests/installer/test_installer.exe" \
  --gtest_filter='*DeliveredPayload*:*LargerInstall*' >/dev/null
q_wine "$build/tests/installer/test_getdir.exe" --gtest_filter='*NewFolderButton*' >/dev/null

mkdir -p docs/screenshots
for name in installer progress browser done; do
  [ -f "$shots/$name.bmp" ] || { echo "missing screenshot $name" >&2; exit 1; }
  # Cut away the empty desktop around the windows, keep a small margin.
  convert "$shots/$name.bmp" -trim +repage -bordercolor '#236f9a' -border 12 \
    "docs/screenshots/$name.png"
  echo "docs/screenshots/$name.png"
done
