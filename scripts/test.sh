#!/usr/bin/env bash
# Builds Velmira and its release zip and runs every test: pure logic natively, the fuzz targets, then everything
# under Wine inside Xvfb. Installs what a fresh Debian 12 machine lacks first (scripts/setup-deps.sh).
# Each step's time is printed as it ends ("== step: N s"), so that a slow run shows where its time went.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

started=$SECONDS
step() {
  local name=$1 from=$SECONDS status=0
  shift
  "$@" || status=$?
  echo "== $name: $((SECONDS - from)) s (at $((SECONDS - started)) s)"
  return "$status"
}

step setup-deps "$root/scripts/setup-deps.sh"

native=$root/build/native
win=$root/build/win

cmake -S "$root" -B "$native" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined -fno-sanitize-recover=all" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
step native-build cmake --build "$native"

# The Windows build has the release package's options, so that the tests run the very programs that ship and the
# package takes them from here instead of building them again.
cmake -S "$root" -B "$win" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMIRA_PACKAGE=ON \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
  -DCMAKE_CROSSCOMPILING_EMULATOR="$root/scripts/wine-run.sh" >/dev/null
step windows-build cmake --build "$win"

# The release zip, which the test app_package_e2e checks as a user would get it.
step package env VELMIRA_PACKAGE_BUILD="$win" "$root/scripts/package.sh"

step native-tests bash -c 'cd "$1" && ctest --output-on-failure -j2' _ "$native"

# Every fuzz target for a short while (30 s each; VELMIRA_FUZZ_SECONDS to change), two at a time, beside the
# Wine tests: those spend most of their time waiting for windows, and the fuzzers take what CPU is left
# (nice 19). fuzz.sh fails loudly when clang cannot link the fuzzer runtime, and on any finding; its report
# follows the Wine tests'.
fuzzlog=$root/build/fuzz.log
mkdir -p "$root/build"
fuzz_started=$SECONDS
VELMIRA_FUZZ_JOBS=${VELMIRA_FUZZ_JOBS:-2} nice -n 19 "$root/scripts/fuzz.sh" "${VELMIRA_FUZZ_SECONDS:-30}" \
  >"$fuzzlog" 2>&1 &
fuzz=$!

# shellcheck source=wine-env.sh
. "$root/scripts/wine-env.sh"
export VELMIRA_BUILD_DIR=$win
wine_status=0
step wine-tests xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  set -e
  . "$0/scripts/wine-env.sh"
  velmira_wine_env "$1"
  wineserver -p
  trap "wineserver -k || true" EXIT
  # The first Wine program starts the background services, which would keep ctest'"'"'s output pipe open:
  # start them here, on /dev/null.
  wine cmd /c exit </dev/null >/dev/null 2>&1
  cd "$1" && ctest --output-on-failure -j2
' "$root" "$win" || wine_status=$?

fuzz_status=0
wait "$fuzz" || fuzz_status=$?
cat "$fuzzlog"
echo "== fuzz (beside the Wine tests): $((SECONDS - fuzz_started)) s (at $((SECONDS - started)) s)"
[ "$wine_status" = 0 ] && [ "$fuzz_status" = 0 ]
