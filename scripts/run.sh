#!/usr/bin/env bash
# Builds Velmira and starts it under Wine (in Xvfb when there is no display).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup-deps.sh"
win=$root/build/win
cmake -S "$root" -B "$win" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
  -DCMAKE_CROSSCOMPILING_EMULATOR="$root/scripts/wine-run.sh" >/dev/null
cmake --build "$win" --target velmira
# shellcheck source=wine-env.sh
. "$root/scripts/wine-env.sh"
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
    echo "No display: Velmira runs inside Xvfb on $DISPLAY (look at it with: DISPLAY=$DISPLAY import -window root shot.png)"
    . "$0/scripts/wine-env.sh"; velmira_wine_env "$1"; wine explorer /desktop=Velmira,1024x768 "$1/velmira.exe"' "$root" "$win"
fi
velmira_wine_env "$win"
exec wine "$win/velmira.exe"
