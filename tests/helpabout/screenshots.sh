#!/usr/bin/env bash
# Pictures of the help viewer and the About box as a person sees them, for docs/screenshots/.
#   tests/helpabout/screenshots.sh BUILD_DIR [OUT_DIR]
# BUILD_DIR is a Windows build tree (with tests/helpabout/helpabout_host.exe); uses the
# Wine prefix and X server of tools/wine-env.sh, making them when none are given.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="$(cd "$1" && pwd)"
out="${2:-$root/docs/screenshots}"
host="$build/tests/helpabout/helpabout_host.exe"
mkdir -p "$out"
# shellcheck source=tools/wine-env.sh
. "$root/tools/wine-env.sh"
made_prefix=""
if [ -z "${WINEPREFIX:-}" ]; then
  made_prefix="$(mktemp -d /tmp/qshots.XXXXXX)"
  q_wine_prefix "$made_prefix"
fi
q_xvfb

# shot MODE FILE SECONDS [HELPFILE]: runs the test program, waits, keeps the window (the
# desktop's plain background trimmed away), then ends the program.
shot() {
  q_wine "$host" "$1" 'Z:\tmp\qshots-links.txt' ${4:+"$4"} &
  local pid=$!
  sleep "$3"
  import -window root "$out/$2.full.png"
  convert "$out/$2.full.png" -bordercolor "$(convert "$out/$2.full.png" -format '%[pixel:p{0,0}]' info:)" \
    -border 1 -fuzz 2% -trim +repage "$out/$2"
  rm -f "$out/$2.full.png"
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}
help_text="$root/bytewise/texts/help.txt"   # the help Bytewise shows
shot help-owned help.png 3 "Z:${help_text//\//\\}"
shot about-owned about.png 3.6     # a few ticks: one cube is lit

if [ -n "$made_prefix" ]; then q_wine_end; rm -rf "$made_prefix"; fi
echo "written: $out/help.png $out/about.png"
