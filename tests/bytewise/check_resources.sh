#!/usr/bin/env bash
# Checks of the built Bytewise.exe from outside (no Wine needed): the main dialog's place,
# font and controls in tab order, no default push button (Enter must not start a run), the
# program icon and the eight animation frames, the help and About templates, the version.
# Usage: check_resources.sh WINDRES Bytewise.exe
set -u
windres=$1 exe=$2
fails=0
fail() { echo "FAIL: $*"; fails=$((fails + 1)); }

rc=$("$windres" -i "$exe" -O rc 2>/dev/null)
[ -n "$rc" ] || { echo "FAIL: no resources read from $exe"; exit 1; }
main=$(sed -n '/^"MAINDIALOG" DIALOGEX/,/^END/p' <<<"$rc")
grep -qF '"MAINDIALOG" DIALOGEX 101, 74, 479, 170' <<<"$main" || fail "main dialog place"
grep -qF 'FONT 8, "MS Sans Serif"' <<<"$main" || fail "main dialog font"
ids=$(sed -n 's/^  CONTROL [^,]*, \([0-9]*\), .*/\1/p' <<<"$main" | tr '\n' ' ')
want="9202 9400 7 9203 9402 8 9101 9 3 4 6 2 9201 9900 5 9204 9100 9500 10 9403 "
[ "$ids" = "$want" ] || fail "controls in tab order: '$ids', expected '$want'"
# BS_DEFPUSHBUTTON is style bit 1 of a button.
while read -r style; do
  [ $((style & 0xF)) -eq 1 ] && fail "a default push button in the main dialog"
done < <(sed -n 's/^  CONTROL [^,]*, [0-9]*, "BUTTON", \(0x[0-9a-f]*\),.*/\1/p' <<<"$main")

for want in '"MAINICON" 14' '9900 14' '9901 14' '9902 14' '9903 14' '9904 14' '9905 14' '9906 14' \
            '9907 14' '"HELPVIEW" DIALOG' '"ABOUT" DIALOG' 'FILEVERSION 1, 0, 0, 0' \
            'VALUE "ProductName", "Bytewise"' 'VALUE "OriginalFilename", "Bytewise.exe"'; do
  grep -qF "$want" <<<"$rc" || fail "resource missing: $want"
done
grep -q 'VALUE "FileDescription", ".*byte by byte' <<<"$rc" || fail "description does not say what it does"

[ "$fails" -eq 0 ] && echo "all checks passed"
exit "$fails"
