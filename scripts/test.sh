#!/usr/bin/env bash
# Builds Velmira and its release zip and runs every test: pure logic natively, then everything under Wine
# inside Xvfb.
# Installs what a fresh Debian 12 machine lacks first (scripts/setup-deps.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup-deps.sh"

native=$root/build/native
win=$root/build/win

cmake -S "$root" -B "$native" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined -fno-sanitize-recover=all" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
cmake --build "$native"

cmake -S "$root" -B "$win" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
  -DCMAKE_CROSSCOMPILING_EMULATOR="$root/scripts/wine-run.sh" >/dev/null
cmake --build "$win"

# The release zip, which the test app_package_e2e checks as a user would get it.
"$root/scripts/package.sh"

(cd "$native" && ctest --output-on-failure -j2)

# Every fuzz target for a short while (30 s each; VELMIRA_FUZZ_SECONDS to change). fuzz.sh fails loudly when
# clang cannot link the fuzzer runtime, and on any finding.
"$root/scripts/fuzz.sh" "${VELMIRA_FUZZ_SECONDS:-30}"

# shellcheck source=wine-env.sh
. "$root/scripts/wine-env.sh"
export VELMIRA_BUILD_DIR=$win
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  set -e
  . "$0/scripts/wine-env.sh"
  velmira_wine_env "$1"
  wineserver -p
  trap "wineserver -k || true" EXIT
  # The first Wine program starts the background services, which would keep ctest'"'"'s output pipe open:
  # start them here, on /dev/null.
  wine cmd /c exit </dev/null >/dev/null 2>&1
  cd "$1" && ctest --output-on-failure -j2
' "$root" "$win"
