#!/usr/bin/env bash
# Runs one Windows executable under Wine (ctest's emulator for the Windows build).
# The test command provides WINEPREFIX and DISPLAY; run alone, a prefix under build/ is made.
set -eu
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
if [ -z "${WINEPREFIX:-}" ]; then
  root="$(cd "$(dirname "$0")/.." && pwd)"
  # shellcheck source=tools/wine-env.sh
  . "$root/tools/wine-env.sh"
  q_wine_prefix "$root/build/wineprefix"
fi
exec wine "$@"
