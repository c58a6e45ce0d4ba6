#!/usr/bin/env bash
# The delivered installer as ZIP tools see it: 7-Zip and Info-ZIP's unzip list every entry of
# the payload archive from it, with no error (an installer is an archive with a program in
# front, which both only note as a warning).
# Usage: check_archive.sh DELIVERED.exe PAYLOAD_FOLDER (the folder the installer was packed from)
set -u
delivered=$1 payload=$2
fails=0
fail() { echo "FAIL: $*"; fails=$((fails + 1)); }

# One entry per file, and one per empty folder.
want=$(( $(find "$payload" -type f | wc -l) + $(find "$payload" -mindepth 1 -type d -empty | wc -l) ))
[ "$want" -gt 0 ] || fail "payload folder holds nothing"

out=$(7z l -slt "$delivered" 2>&1); rc=$?
[ "$rc" -eq 0 ] || fail "7z l exits with $rc"
grep -qi "headers error\|^errors:\|unexpected end\|can not open the file as archive" <<<"$out" &&
  fail "7z reports: $(grep -i "error" <<<"$out" | head -3 | tr '\n' ' ')"
got=$(grep -c "^Path = " <<<"$out")
got=$((got - 1))   # the first is the installer itself
[ "$got" -eq "$want" ] || fail "7z lists $got entries, the payload holds $want"
echo "7z: $got of $want entries"

out=$(unzip -l "$delivered" 2>&1); rc=$?
[ "$rc" -le 1 ] || fail "unzip -l exits with $rc"
grep -qi "error\|cannot find\|bad zipfile" <<<"$out" &&
  fail "unzip reports: $(grep -i "error\|cannot\|bad" <<<"$out" | head -3 | tr '\n' ' ')"
got=$(unzip -Z1 "$delivered" 2>/dev/null | wc -l)
[ "$got" -eq "$want" ] || fail "unzip lists $got entries, the payload holds $want"
echo "unzip: $got of $want entries"

[ "$fails" -eq 0 ] && echo "all checks passed"
exit "$fails"
