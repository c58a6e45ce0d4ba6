#!/usr/bin/env bash
# The installer test_installer installs names in four scripts from: made by unfurlpack's build
# mode from a folder, with a title and subtitle in UTF-8.
# Usage: make_utf8_setup.sh UNFURLPACK IMAGE.exe OUTPUT.exe
set -eu
tool=$1 image=$2 out=$3
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
mkdir -p "$dir/product/łódź" "$dir/product/日本"
printf accent >"$dir/product/café.txt"
printf greek >"$dir/product/łódź/Ωμέγα.txt"
printf japanese >"$dir/product/日本/ファイル.txt"
printf plain >"$dir/product/plain.txt"
"$tool" build "$dir/product" -o "$out" --image "$image" --title "Zażółć Ωμέγα 日本" \
  --subtitle "Sous-titre été"
