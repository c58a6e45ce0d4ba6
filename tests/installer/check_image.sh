#!/usr/bin/env bash
# Checks of the finished installer executables, from outside (no Wine needed):
#   the image without payload is at most 64 KB; it imports only from system DLLs that every
#   Windows loads from its own folder (no comctl32, which it loads by full path); its
#   resources hold the dialogs, the icon, the version and an asInvoker manifest; the delivered
#   installer is that image (built-in archive start set) followed by the payload.
# Usage: check_image.sh OBJDUMP WINDRES IMAGE.exe DELIVERED.exe
set -u
objdump=$1 windres=$2 image=$3 delivered=$4
fails=0
fail() { echo "FAIL: $*"; fails=$((fails + 1)); }

size=$(stat -c %s "$image")
echo "installer image: $size bytes"
[ "$size" -le 65536 ] || fail "image is $size bytes, more than 64 KB"

allowed="gdi32.dll kernel32.dll msvcrt.dll shell32.dll user32.dll"
dlls=$("$objdump" -p "$image" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort)
[ -n "$dlls" ] || fail "no import table read"
for d in $dlls; do
  case " $allowed " in *" $d "*) ;; *) fail "imports from $d" ;; esac
done
echo "imports: $(echo $dlls)"
# Looked up at run time, so it must not be an import (older systems lack it).
"$objdump" -p "$image" | grep -q "SetDefaultDllDirectories" && fail "SetDefaultDllDirectories imported"
grep -q -a "SetDefaultDllDirectories" "$image" || fail "SetDefaultDllDirectories not looked up"

rc=$("$windres" -i "$image" -O rc 2>/dev/null)
for want in '"MAINDIALOG" DIALOG 0, 0, 344, 101' '"DLGNEW" DIALOG 0, 0, 272, 90' '"FILEEXIST" DIALOG' \
            '"MAINICON"' 'VERSIONINFO' 'requestedExecutionLevel level=""asInvoker""'; do
  grep -qF "$want" <<<"$rc" || fail "resource missing: $want"
done

dsize=$(stat -c %s "$delivered")
[ "$dsize" -gt "$size" ] || fail "delivered installer carries no payload"
differ=$(cmp -l -n "$size" "$image" "$delivered" | wc -l)
[ "$differ" -le 4 ] || fail "delivered image differs from the image in $differ bytes (only the archive start may)"
echo "delivered installer: $dsize bytes, image bytes changed: $differ"

[ "$fails" -eq 0 ] && echo "all checks passed"
exit "$fails"
