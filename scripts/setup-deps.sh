#!/usr/bin/env bash
# Installs everything a fresh Debian 12 machine needs to build and test Velmira, then cross-builds for i686
# Windows into the build tree, from Debian's own source packages: libjpeg-turbo (the program's JPEG), zlib,
# libpng, libtiff, libwebp and giflib (the bundled plug-in's formats), and GoogleTest. Only the static libraries
# and headers are built and installed: no tools, tests or documentation of theirs.
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
  cmake ninja-build nasm make dpkg-dev pkg-config
  wine wine32:i386 xvfb xauth xdotool xclip x11-utils imagemagick
  locales fonts-ipafont fonts-wine
  # The release zip (scripts/package.sh) and its check.
  zip unzip
  googletest libgtest-dev libjpeg62-turbo-dev clang libclang-rt-14-dev
  # The bundled plug-in's decoders built natively too, for the sanitizers, the fuzzers and the load benchmark.
  libpng-dev libtiff-dev libwebp-dev libgif-dev zlib1g-dev
  # The benchmarks' reference decoder (djpeg) and peak-memory meter (GNU time).
  libjpeg-turbo-progs time
  # The copy formats' check: each copied text drawn by a browser engine, headless.
  chromium
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

# Unpacks the source package `name` (Debian's patches applied) under `dest` and prints its tree. A mirror that
# lacks the newest version's files (a security update not mirrored yet) gets the next version of this release.
fetch_source() {
  local name=$1 dest=$2 version tree=
  for version in "" $(apt-cache showsrc "$name" 2>/dev/null | sed -n 's/^Version: //p' | sort -rVu); do
    rm -rf "$dest" && mkdir -p "$dest"
    (cd "$dest" && apt-get source -qq "$name${version:+=$version}" >/dev/null 2>&1) || true
    tree=$(find "$dest" -mindepth 1 -maxdepth 1 -type d | head -n 1)
    [ -n "$tree" ] && break
  done
  [ -n "$tree" ] || { echo "apt-get source $name gave no source tree" >&2; exit 1; }
  echo "$tree"
}

# A library's own CMake project, configured for the MinGW toolchain into the prefix (quietly).
cross_cmake() {
  local tree=$1 out=$2
  shift 2
  cmake -S "$tree" -B "$out" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_SYSTEM_PROCESSOR=i686 "$@" >/dev/null
}

build_libjpeg() {
  [ -f "$prefix/lib/libjpeg.a" ] && return
  local src=$deps/src/libjpeg tree
  tree=$(fetch_source libjpeg-turbo "$src")
  cross_cmake "$tree" "$src/build" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_JPEG8=ON \
    -DCMAKE_POLICY_DEFAULT_CMP0091=NEW -DCMAKE_POLICY_DEFAULT_CMP0058=NEW
  cmake --build "$src/build" >/dev/null
  cmake --install "$src/build" >/dev/null
}

# Debian's zlib source keeps no makefile for MinGW: the library's own files are compiled here, and the
# pkg-config file is ours.
build_zlib() {
  [ -f "$prefix/lib/libz.a" ] && return
  local src=$deps/src/zlib tree version f
  tree=$(fetch_source zlib "$src")
  mkdir -p "$src/build" "$prefix/lib/pkgconfig" "$prefix/include"
  for f in adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback inffast inflate inftrees trees \
           uncompr zutil; do
    i686-w64-mingw32-gcc -O2 -c "$tree/$f.c" -I"$tree" -o "$src/build/$f.o"
  done
  i686-w64-mingw32-ar rcs "$prefix/lib/libz.a" "$src/build/"*.o
  cp "$tree/zlib.h" "$tree/zconf.h" "$prefix/include/"
  version=$(sed -n 's/^#define ZLIB_VERSION "\(.*\)"$/\1/p' "$tree/zlib.h")
  printf 'prefix=%s\nlibdir=${prefix}/lib\nincludedir=${prefix}/include\n\nName: zlib\nDescription: zlib compression library\nVersion: %s\nLibs: -L${libdir} -lz\nCflags: -I${includedir}\n' \
    "$prefix" "$version" >"$prefix/lib/pkgconfig/zlib.pc"
}

zlib_args() { echo "-DZLIB_LIBRARY=$prefix/lib/libz.a" "-DZLIB_INCLUDE_DIR=$prefix/include"; }

build_libpng() {
  [ -f "$prefix/lib/libpng16.a" ] && return
  local src=$deps/src/libpng tree
  tree=$(fetch_source libpng1.6 "$src")
  # shellcheck disable=SC2046
  cross_cmake "$tree" "$src/build" -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_EXECUTABLES=OFF -DPNG_TESTS=OFF \
    -DSKIP_INSTALL_PROGRAMS=ON $(zlib_args)
  cmake --build "$src/build" >/dev/null
  cmake --install "$src/build" >/dev/null
  rm -rf "$prefix/share/man" "$prefix/bin/libpng"*-config
}

# The codecs of the TIFF files scanners and editors write (none, LZW, Deflate, PackBits, CCITT fax); no tools.
# A TIFF of another compression (JPEG among them: libjpeg would double the plug-in's size) goes to the system's
# codecs.
build_libtiff() {
  [ -f "$prefix/lib/libtiff.a" ] && return
  local src=$deps/src/libtiff tree
  tree=$(fetch_source tiff "$src")
  # shellcheck disable=SC2046
  cross_cmake "$tree" "$src/build" -DBUILD_SHARED_LIBS=OFF -Dtiff-tools=OFF -Dtiff-tests=OFF -Dtiff-contrib=OFF \
    -Dtiff-docs=OFF -Dcxx=OFF -Dtiff-opengl=OFF -Dzlib=ON -Djpeg=OFF -Dold-jpeg=OFF -Dlibdeflate=OFF \
    -Djbig=OFF -Dlerc=OFF -Dlzma=OFF -Dzstd=OFF -Dwebp=OFF -Djpeg12=OFF -Dlogluv=OFF -Dpixarlog=OFF \
    -Dthunder=OFF -Dnext=OFF -Dmdi=OFF $(zlib_args)
  cmake --build "$src/build" --target tiff >/dev/null
  cmake --install "$src/build" >/dev/null
  rm -rf "$prefix/share/doc/tiff"*
}

# The decoder library alone (libwebpdecoder): the plug-in only reads WebP.
build_libwebp() {
  [ -f "$prefix/lib/libwebpdecoder.a" ] && return
  local src=$deps/src/libwebp tree
  tree=$(fetch_source libwebp "$src")
  cross_cmake "$tree" "$src/build" -DWEBP_BUILD_ANIM_UTILS=OFF -DWEBP_BUILD_CWEBP=OFF -DWEBP_BUILD_DWEBP=OFF \
    -DWEBP_BUILD_GIF2WEBP=OFF -DWEBP_BUILD_IMG2WEBP=OFF -DWEBP_BUILD_VWEBP=OFF -DWEBP_BUILD_WEBPINFO=OFF \
    -DWEBP_BUILD_LIBWEBPMUX=OFF -DWEBP_BUILD_WEBPMUX=OFF -DWEBP_BUILD_EXTRAS=OFF -DWEBP_LINK_STATIC=OFF
  cmake --build "$src/build" --target webpdecoder >/dev/null
  mkdir -p "$prefix/lib/pkgconfig" "$prefix/include/webp"
  cp "$src/build/libwebpdecoder.a" "$prefix/lib/"
  cp "$tree/src/webp/decode.h" "$tree/src/webp/types.h" "$prefix/include/webp/"
  cp "$src/build/src/libwebpdecoder.pc" "$prefix/lib/pkgconfig/"
}

# giflib ships a plain makefile for its tools too; the four files of the decoding library are compiled here.
build_giflib() {
  [ -f "$prefix/lib/libgif.a" ] && return
  local src=$deps/src/giflib tree f
  tree=$(fetch_source giflib "$src")
  mkdir -p "$src/build" "$prefix/lib" "$prefix/include"
  for f in dgif_lib gifalloc gif_err openbsd-reallocarray; do
    i686-w64-mingw32-gcc -O2 -c "$tree/$f.c" -I"$tree" -o "$src/build/$f.o"
  done
  i686-w64-mingw32-ar rcs "$prefix/lib/libgif.a" "$src/build/"*.o
  cp "$tree/gif_lib.h" "$prefix/include/"
}

build_gtest() {
  [ -f "$prefix/lib/libgtest.a" ] && return
  cross_cmake /usr/src/googletest "$deps/src/gtest-build" -Dgtest_disable_pthreads=OFF -DBUILD_GMOCK=ON \
    -DINSTALL_GTEST=ON
  cmake --build "$deps/src/gtest-build" >/dev/null
  cmake --install "$deps/src/gtest-build" >/dev/null
}

install_packages
install_locale
build_libjpeg
build_zlib
build_libpng
build_libtiff
build_libwebp
build_giflib
build_gtest
echo "dependencies ready in $prefix"
