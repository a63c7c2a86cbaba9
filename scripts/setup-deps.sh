#!/usr/bin/env bash
# Installs everything a fresh Debian 12 machine needs to build and test Velmira,
# then cross-builds libjpeg-turbo and GoogleTest for i686 Windows into the build tree.
# Each step is skipped when its result is already there, so running it again is cheap.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${VELMIRA_BUILD:-$root/build}
deps=$build/deps
prefix=$deps/i686
mkdir -p "$deps"

as_root() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }

packages=(
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-i686-dev
  cmake ninja-build nasm make dpkg-dev
  wine wine32:i386 xvfb xauth xdotool xclip x11-utils imagemagick
  locales fonts-ipafont fonts-wine
  # The release zip (scripts/package.sh) and its check.
  zip unzip
  googletest libgtest-dev libjpeg62-turbo-dev clang libclang-rt-14-dev
  # The benchmarks' reference decoder (djpeg) and peak-memory meter (GNU time).
  libjpeg-turbo-progs time
)

missing_packages() {
  local p
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || echo "$p"
  done
}

# Prints a deb-src entry for every deb entry of this release that apt is configured with: the same URIs,
# suites, components and keyring. Reads both the one-line (.list) and the deb822 (.sources) forms.
source_entries() {
  local codename
  codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
  [ -n "$codename" ] || { echo "no release code name in /etc/os-release" >&2; exit 1; }
  local files=() f
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] && files+=("$f")
  done
  awk -v codename="$codename" '
    function ours(suites,   n, i, s) {
      n = split(suites, s, /[ \t]+/)
      for (i = 1; i <= n; i++) if (s[i] == codename || index(s[i], codename "-") == 1) return 1
      return 0
    }
    function flush() {
      if (types ~ /(^| )deb( |$)/ && uris != "" && ours(suites)) {
        print "Types: deb-src"; print "URIs: " uris; print "Suites: " suites
        print "Components: " comps
        if (signed != "") print "Signed-By: " signed
        print ""
      }
      types = uris = suites = comps = signed = ""
    }
    FILENAME ~ /\.sources$/ {
      if ($0 ~ /^[ \t]*$/) { flush(); next }
      if ($0 ~ /^[ \t]*#/) next
      key = $1; sub(/:$/, "", key); line = $0; sub(/^[^:]*:[ \t]*/, "", line)
      if (key == "Types") types = line; else if (key == "URIs") uris = line
      else if (key == "Suites") suites = line; else if (key == "Components") comps = line
      else if (key == "Signed-By") signed = line
      next
    }
    FNR == 1 { flush() }
    /^[ \t]*deb[ \t]/ {
      line = $0; sub(/^[ \t]*deb[ \t]+/, "", line)
      opts = ""
      if (line ~ /^\[/) { opts = substr(line, 2, index(line, "]") - 2); line = substr(line, index(line, "]") + 1) }
      n = split(line, w, /[ \t]+/); i = (w[1] == "") ? 2 : 1
      if (!ours(w[i + 1])) next
      c = ""; for (j = i + 2; j <= n; j++) c = c (c == "" ? "" : " ") w[j]
      print "Types: deb-src"; print "URIs: " w[i]; print "Suites: " w[i + 1]; print "Components: " c
      if (match(opts, /signed-by=[^ \]]+/)) print "Signed-By: " substr(opts, RSTART + 10, RLENGTH - 10)
      print ""
    }
    END { flush() }
  ' "${files[@]}"
}

install_packages() {
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    as_root dpkg --add-architecture i386
  fi
  # apt-get source needs the source index next to the binary one. It is taken from the machine's own
  # entries for this release, so that it goes through whatever mirror the machine is set up with.
  if ! grep -rqs '^[[:space:]]*\(Types:.*\)\?deb-src' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    source_entries | as_root tee /etc/apt/sources.list.d/velmira-src.sources >/dev/null
  fi
  local need
  need=$(missing_packages)
  if [ -n "$need" ] || [ ! -d /var/lib/apt/lists ] || ! ls /var/lib/apt/lists/*Sources* >/dev/null 2>&1; then
    as_root apt-get update -qq >/dev/null
  fi
  need=$(missing_packages)
  if [ -n "$need" ]; then
    # shellcheck disable=SC2086
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $need >/dev/null
  fi
}

install_locale() {
  if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
    as_root sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | as_root tee -a /etc/locale.gen >/dev/null
    as_root locale-gen >/dev/null
  fi
}

build_libjpeg() {
  [ -f "$prefix/lib/libjpeg.a" ] && return
  local src=$deps/src/libjpeg
  rm -rf "$src" && mkdir -p "$src"
  (cd "$src" && apt-get source -qq libjpeg-turbo >/dev/null 2>&1)
  local tree
  tree=$(find "$src" -maxdepth 1 -type d -name 'libjpeg-turbo-*' | head -n 1)
  [ -n "$tree" ] || { echo "apt-get source libjpeg-turbo gave no source tree" >&2; exit 1; }
  cmake -S "$tree" -B "$src/build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_JPEG8=ON \
    -DCMAKE_SYSTEM_PROCESSOR=i686 -DCMAKE_POLICY_DEFAULT_CMP0091=NEW \
    -DCMAKE_POLICY_DEFAULT_CMP0058=NEW >/dev/null
  cmake --build "$src/build" >/dev/null
  cmake --install "$src/build" >/dev/null
}

build_gtest() {
  [ -f "$prefix/lib/libgtest.a" ] && return
  local src=/usr/src/googletest
  cmake -S "$src" -B "$deps/src/gtest-build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -Dgtest_disable_pthreads=OFF -DBUILD_GMOCK=ON -DINSTALL_GTEST=ON >/dev/null
  cmake --build "$deps/src/gtest-build" >/dev/null
  cmake --install "$deps/src/gtest-build" >/dev/null
}

install_packages
install_locale
build_libjpeg
build_gtest
echo "dependencies ready in $prefix"
