#!/usr/bin/env bash
# The delivered installer's integrity record, from outside (no Wine needed): the preparation
# tool's --verify accepts the installer as built and a copy signed after the build (the
# signature is appended behind the archive the record covers), and refuses a copy with one
# byte flipped in the middle of its archive.
# Usage: check_record.sh UNFURLPACK DELIVERED.exe
set -u
pack=$1 delivered=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fails=0
fail() { echo "FAIL: $*"; fails=$((fails + 1)); }

"$pack" --verify "$delivered" || fail "the delivered installer does not verify"

openssl req -x509 -newkey rsa:2048 -nodes -keyout "$work/key.pem" -out "$work/cert.pem" \
  -days 1 -subj "/CN=Unfurl test signer" 2>/dev/null
osslsigncode sign -certs "$work/cert.pem" -key "$work/key.pem" -n "Unfurl" -h sha256 \
  -in "$delivered" -out "$work/signed.exe" >/dev/null || fail "signing failed"
"$pack" --verify "$work/signed.exe" || fail "the signed copy does not verify"

size=$(stat -c %s "$delivered")
cp "$delivered" "$work/flipped.exe"
middle=$((size - 20000))
byte=$(od -An -tu1 -j "$middle" -N1 "$delivered" | tr -d ' ')
printf "$(printf '\\%03o' $((byte ^ 1)))" | dd of="$work/flipped.exe" bs=1 seek="$middle" conv=notrunc 2>/dev/null
cmp -s "$delivered" "$work/flipped.exe" && fail "the byte was not flipped"
"$pack" --verify "$work/flipped.exe" 2>"$work/said"
[ $? -eq 6 ] || fail "a flipped byte was not refused with exit code 6"
grep -q "does not match" "$work/said" || fail "the refusal does not say why: $(cat "$work/said")"

[ "$fails" -eq 0 ] && echo "all checks passed"
exit "$fails"
