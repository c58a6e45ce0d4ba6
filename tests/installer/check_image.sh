#!/usr/bin/env bash
# Checks of the finished installer executables, from outside (no Wine needed):
#   the image without payload imports only from system DLLs that every Windows loads from its
#   own folder (no comctl32, which it loads by full path); its resources hold the dialogs, the
#   icon, the version and an asInvoker manifest; the delivered installer is that image
#   (built-in archive start set) followed by the payload. The image can be loaded anywhere
#   (ASLR: dynamic base, a base relocation table, relocations not stripped). Its size:
#   tests/sizes.
# Usage: check_image.sh OBJDUMP WINDRES IMAGE.exe DELIVERED.exe
set -u
objdump=$1 windres=$2 image=$3 delivered=$4
fails=0
fail() { echo "FAIL: $*"; fails=$((fails + 1)); }

size=$(stat -c %s "$image")

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

headers=$("$objdump" -p "$image")
grep -q "DYNAMIC_BASE" <<<"$headers" || fail "image without dynamic base"
grep -q "NX_COMPAT" <<<"$headers" || fail "image without NX compatibility"
grep -qi "relocations stripped" <<<"$headers" && fail "image with its relocations stripped"
grep -Eq "Base Relocation Directory \[\.reloc\]" <<<"$headers" || fail "image without base relocations"
echo "image: dynamic base, NX, base relocations"

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
