#!/usr/bin/env bash
# Runs one Windows executable under Wine (ctest's emulator for the Windows builds).
# The test command provides WINEPREFIX, Q_WINE and DISPLAY; run alone, a prefix of the width
# this machine runs is made under build/.
set -eu
root="$(cd "$(dirname "$0")/.." && pwd)"
# shellcheck source=tools/wine-env.sh
. "$root/tools/wine-env.sh"
if [ -z "${WINEPREFIX:-}" ]; then
  q_wine_use "$(q_wine_arch)"
  q_wine_prefix "$(q_build_prefix "$root")"
fi
[ -n "${Q_WINE:-}" ] || q_wine_use "$(q_wine_arch)"
exec "$Q_WINE" "$@"
