#!/usr/bin/env bash
# Signs a copy of the delivered installer with a throwaway self-signed certificate, as a
# publisher would sign it after the build, and checks the signature. The installer test then
# installs from the signed copy.
# Usage: sign_installer.sh INSTALLER.exe SIGNED.exe
set -eu
in=$1 out=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$work/key.pem" -out "$work/cert.pem" \
  -days 1 -subj "/CN=Unfurl test signer" 2>/dev/null
rm -f "$out"
osslsigncode sign -certs "$work/cert.pem" -key "$work/key.pem" -n "Unfurl" -h sha256 \
  -in "$in" -out "$out" >/dev/null
osslsigncode verify -CAfile "$work/cert.pem" -in "$out" | grep -q "Succeeded"
echo "signed: $(stat -c %s "$in") -> $(stat -c %s "$out") bytes"
