#!/usr/bin/env bash
# Archives the installer's walk cannot step through as they are, made by the writers here
# (Python's zipfile on a pipe and Java's jar: sizes only in data descriptors; the same with a
# script in front), packed by the preparation tool and installed silently under Wine: every
# file byte for byte, the empty folder made.
# Usage: install_rewritten.sh UNFURLPACK IMAGE.exe WORKDIR
set -eu
tool=$1 image=$2 work=$3
root="$(cd "$(dirname "$0")/../.." && pwd)"
rm -rf "$work"
mkdir -p "$work/src/sub" "$work/src/empty"
cd "$work/src"
seq 1 30000 >numbers.txt
head -c 70000 /dev/urandom >sub/noise.bin
printf accent >café.txt
: >sub/zero.dat
python3 -c "import zipfile, sys, os
z = zipfile.ZipFile(sys.stdout.buffer, 'w', zipfile.ZIP_DEFLATED)
for r, ds, fs in os.walk('.'):
    for n in ds + fs: z.write(os.path.join(r, n))
z.close()" | cat >../python.zip
writers="python script"
if command -v jar >/dev/null; then
  jar cf ../java.zip .
  writers="$writers java"
fi
(printf '#!/bin/sh\nexit 0\n'; cat ../python.zip) >../script.zip
cd "$work"
for w in $writers; do
  said=$("$tool" "$image" "$w.zip" "Rewritten $w" "" "$w-setup.exe" 2>&1)
  case "$said" in *"rewrote "*) ;; *) echo "$w: not rewritten: $said"; exit 1 ;; esac
  into="$work/$w-into"
  "$root/tools/wine-run.sh" "$work/$w-setup.exe" /S "/D=Z:${into//\//\\}" || {
    echo "$w: the installer ended with $?"
    exit 1
  }
  # jar adds its manifest; everything else is the folder as it was.
  diff -r -x META-INF src "$into"
  echo "$w: $said; installed byte for byte"
done
