#!/usr/bin/env bash
# Runs one Windows program under Wine: the cross-compiling emulator of the CMake build.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=wine-env.sh
. "$here/wine-env.sh"
build=${VELMIRA_BUILD_DIR:-}
if [ -z "$build" ]; then
  build=$(cd "$(dirname "$1")" && pwd)
  while [ "$build" != / ] && [ ! -f "$build/CMakeCache.txt" ]; do build=$(dirname "$build"); done
fi
velmira_wine_env "$build"
exec wine "$@"
