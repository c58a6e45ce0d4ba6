# Sourced by the scripts: a Wine prefix and an X server for one run.
#   q_wine_prefix DIR   makes (once) a 32-bit prefix with a 1024x768 virtual desktop, exports WINEPREFIX
#   q_xvfb              starts Xvfb on a free display unless DISPLAY works, exports DISPLAY
#   q_wine_end          ends the prefix's wineserver and the Xvfb this run started

export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export WINEARCH=win32

q_wine_prefix() {
  export WINEPREFIX="$1"
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1
    # A virtual desktop draws title bars as Windows does and fixes the screen at 1024x768.
    wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
    # Wine does not pick up its own fonts (fonts-wine) here; without them caption buttons show
    # letters and the faces the dialogs name ("MS Sans Serif", "Courier") fall back to others.
    cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    wineserver -w
  fi
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
  Q_XVFB_PID=""
}
