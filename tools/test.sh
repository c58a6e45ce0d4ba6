#!/usr/bin/env bash
# The test command: installs what is missing, builds the host (sanitized), fuzz and Windows
# configurations, and runs every test in one CTest run (Windows tests under Wine in a
# temporary prefix, with an X server). Ends with CTest's summary line.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
jobs=$(nproc)

tools/setup.sh

echo "== host build (AddressSanitizer + UndefinedBehaviorSanitizer)"
cmake -S . -B build/host -DQ_SANITIZE=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/host -j"$jobs"

echo "== fuzz build (clang, libFuzzer)"
cmake -S . -B build/fuzz -DQ_FUZZ=ON -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/fuzz -j"$jobs"

echo "== Windows build (mingw-w64 i686)"
cmake -S . -B build/win32 --toolchain cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
cmake --build build/win32 -j"$jobs"

# One CTest run over the three build trees.
printf 'subdirs("host" "fuzz" "win32")\n' > build/CTestTestfile.cmake

# shellcheck source=tools/wine-env.sh
. tools/wine-env.sh
prefix="$(mktemp -d /tmp/qwine.XXXXXX)"
cleanup() { q_wine_end; rm -rf "$prefix"; }
trap cleanup EXIT
q_xvfb
echo "== Wine prefix $prefix"
q_wine_prefix "$prefix"

cd build
ctest --output-on-failure --no-label-summary -j"$jobs" --timeout 600 "$@"
