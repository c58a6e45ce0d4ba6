# Sourced by the scripts: which Windows width runs here, a Wine prefix and an X server for one run.
#   q_wine_arch          prints win32 when Wine's 32-bit loader starts on this machine, else win64;
#                        Q_WINE_ARCH=win64 (or win32) in the environment decides instead
#   q_wine_use ARCH      exports WINEARCH and Q_WINE (the loader to call) for that width
#   q_wine ARGS...       runs a Windows program with that loader
#   q_wine_prefix DIR    makes (once) a prefix of that width with a 1024x768 virtual desktop,
#                        exports WINEPREFIX
#   q_build_prefix ROOT  prints the lasting prefix of the scripts run by hand: build/wineprefix
#                        (32-bit) or build/wineprefix64
#   q_xvfb               starts Xvfb on a free display unless DISPLAY works, exports DISPLAY
#   q_wine_end           ends the prefix's wineserver and the Xvfb this run started
# Some kernels refuse 32-bit programs ("Exec format error", even for /lib/ld-linux.so.2); there
# only 64-bit Windows programs run, under /usr/lib/wine/wine64 in a win64 prefix. /usr/bin/wine
# prefers the 32-bit loader whenever wine32 is installed, so the loader is called by its path.

export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

q_wine_arch() {
  case "${Q_WINE_ARCH:-}" in
    win32|win64) echo "$Q_WINE_ARCH"; return 0 ;;
    "") ;;
    *) echo "Q_WINE_ARCH must be win32 or win64, not '$Q_WINE_ARCH'" >&2; return 1 ;;
  esac
  if /usr/lib/wine/wine --version >/dev/null 2>&1; then echo win32; else echo win64; fi
}

q_wine_use() {
  export WINEARCH="$1"
  if [ "$1" = win64 ]; then
    export Q_WINE=/usr/lib/wine/wine64
    export WINELOADER=/usr/lib/wine/wine64
  else
    export Q_WINE=/usr/lib/wine/wine
    unset WINELOADER
  fi
}

q_wine() {
  [ -n "${Q_WINE:-}" ] || q_wine_use "$(q_wine_arch)"
  "$Q_WINE" "$@"
}

q_wine_prefix() {
  export WINEPREFIX="$1"
  [ -n "${Q_WINE:-}" ] || q_wine_use "$(q_wine_arch)"
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    q_wine wineboot -i >/dev/null 2>&1
    # A virtual desktop draws title bars as Windows does and fixes the screen at 1024x768.
    q_wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
    q_wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
    # Wine does not pick up its own fonts (fonts-wine) here; without them caption buttons show
    # letters and the faces the dialogs name ("MS Sans Serif", "Courier") fall back to others.
    cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    wineserver -w
  fi
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Wine could not make a $WINEARCH prefix in $WINEPREFIX ($Q_WINE)" >&2
    return 1
  fi
}

q_build_prefix() {
  if [ "${WINEARCH:-win32}" = win64 ]; then echo "$1/build/wineprefix64"; else echo "$1/build/wineprefix"; fi
}

Q_XVFB_PID=""
q_xvfb() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return 0; fi
  local n=91
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  Q_XVFB_PID=$!
  export DISPLAY=":$n"
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && return 0; sleep 0.1; done
  echo "Xvfb did not start" >&2
  return 1
}

q_wine_end() {
  [ -n "${WINEPREFIX:-}" ] && wineserver -k >/dev/null 2>&1 || true
  [ -n "$Q_XVFB_PID" ] && kill "$Q_XVFB_PID" >/dev/null 2>&1 || true
  q_build_prefix() {
  if [ "${WINEARCH:-win32}" = win64 ]; then echo "$1/build/wineprefix64"; else echo "$1/build/wineprefix"; fi
}

Q_XVFB_PID=""
}
