#!/usr/bin/env bash
# The test command: installs what is missing, builds the host (sanitized), fuzz and Windows
# configurations, and runs every test in one CTest run (Windows tests under Wine in a
# temporary prefix, with an X server). Ends with CTest's summary line.
#   Where 32-bit programs start (see tools/wine-env.sh): build/win32 and its tests under Wine.
#   Where they cannot, or with Q_WINE_ARCH=win64: build/win32 still builds the 32-bit programs
#   and runs the checks that only read them; build/win64 builds the same sources as 64-bit
#   programs and runs every Windows test under wine64.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
jobs=$(nproc)

tools/setup.sh
# shellcheck source=tools/wine-env.sh
. tools/wine-env.sh
arch="$(q_wine_arch)"
q_wine_use "$arch"

echo "== host build (AddressSanitizer + UndefinedBehaviorSanitizer)"
cmake -S . -B build/host -DQ_SANITIZE=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/host -j"$jobs"

echo "== fuzz build (clang, libFuzzer)"
cmake -S . -B build/fuzz -DQ_FUZZ=ON -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/fuzz -j"$jobs"

trees=(host fuzz win32)
wine32_tests=ON
[ "$arch" = win64 ] && wine32_tests=OFF
echo "== Windows build (mingw-w64 i686; tests under Wine: $wine32_tests)"
cmake -S . -B build/win32 --toolchain cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=MinSizeRel \
  -DQ_WINE_TESTS="$wine32_tests" >/dev/null
cmake --build build/win32 -j"$jobs"
if [ "$arch" = win64 ]; then
  echo "== Windows build (mingw-w64 x86_64)"
  cmake -S . -B build/win64 --toolchain cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=MinSizeRel \
    -DQ_WINE_TESTS=ON >/dev/null
  cmake --build build/win64 -j"$jobs"
  trees+=(win64)
fi

# One CTest run over the build trees.
printf 'subdirs(%s)\n' "$(printf '"%s" ' "${trees[@]}")" > build/CTestTestfile.cmake

prefix="$(mktemp -d /tmp/qwine.XXXXXX)"
cleanup() { q_wine_end; rm -rf "$prefix"; }
trap cleanup EXIT
q_xvfb
echo "== Wine prefix $prefix ($WINEARCH, $Q_WINE)"
q_wine_prefix "$prefix"

if [ "$arch" = win64 ]; then
  way="64-bit: build/win64 under wine64 (32-bit programs built and checked from outside)"
else
  way="32-bit: build/win32 under Wine"
fi
echo "== CTest: Windows tests by the $way"
cd build
status=0
ctest --output-on-failure --no-label-summary -j"$jobs" --timeout 600 "$@" >ctest.log 2>&1 || status=$?
# The way that ran, just before CTest's summary.
summary=$(grep -n 'tests passed\|tests failed' ctest.log | tail -1 | cut -d: -f1 || true)
if [ -n "$summary" ]; then
  head -n $((summary - 1)) ctest.log
  echo "Windows tests ran the $way"
  tail -n +"$summary" ctest.log
else
  cat ctest.log
  echo "Windows tests ran the $way"
fi
exit "$status"
