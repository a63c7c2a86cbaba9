#!/usr/bin/env bash
# Builds the release (build/release: MinGW, Release, the package's options, or the tree VELMIRA_PACKAGE_BUILD
# names) and writes dist/velmira-<version>-win32.zip for Windows users. Two runs on one commit give the same
# bytes: the programs carry no link time, and every member of the zip has the commit's time (SOURCE_DATE_EPOCH
# when set), the same mode, no extra attributes, and its place in one fixed order.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup-deps.sh"

# VELMIRA_PACKAGE_BUILD names a build tree already configured for the package (the MinGW toolchain, Release,
# -DVELMIRA_PACKAGE=ON), whose programs are taken as they are: scripts/test.sh hands over the tree it tests.
build=${VELMIRA_PACKAGE_BUILD:-$root/build/release}
dist=$root/dist
version=$(sed -n 's/^#define VELMIRA_VERSION_TEXT "\(.*\)"$/\1/p' "$root/src/resources/Version.h")
[ -n "$version" ] || { echo "package.sh: no VELMIRA_VERSION_TEXT in src/resources/Version.h" >&2; exit 1; }
zip=$dist/velmira-$version-win32.zip

# The programs that ship, as CMake target:file, in the zip's order. They lie together at the top of the
# build tree, as they must beside each other on the user's disk. A target this tree does not define is left out.
programs=(velmira:velmira.exe velmira_wic:velmira_wic.spi velmira_spihost:velmira_spihost.exe)

epoch=${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct 2>/dev/null || true)}
[ -n "$epoch" ] || { echo "package.sh: not a git checkout; set SOURCE_DATE_EPOCH" >&2; exit 1; }

if [ -z "${VELMIRA_PACKAGE_BUILD:-}" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DVELMIRA_TESTS=OFF -DVELMIRA_PACKAGE=ON >/dev/null
fi
for setting in CMAKE_BUILD_TYPE=Release VELMIRA_PACKAGE=ON; do
  grep -qx "${setting%%=*}:[A-Z]*=${setting#*=}" "$build/CMakeCache.txt" 2>/dev/null ||
    { echo "package.sh: $build is not configured with $setting" >&2; exit 1; }
done
known=$(cmake --build "$build" --target help)
targets=() members=()
for p in "${programs[@]}"; do
  if grep -qx "${p%%:*}: phony" <<<"$known"; then
    targets+=("${p%%:*}") members+=("${p#*:}")
  fi
done
cmake --build "$build" --target "${targets[@]}"

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
for m in "${members[@]}"; do cp "$build/$m" "$stage/$m"; done
# The Japanese readme is kept as UTF-8 like every other source and becomes Shift-JIS with CRLF here;
# iconv stops the package on a character that code page 932 lacks.
iconv -f UTF-8 -t CP932 "$root/docs/readme.ja.txt" | sed 's/$/\r/' >"$stage/readme.txt"
cp "$root/README.md" "$stage/README.md"
# Our licence and the notices that the statically linked libraries ask to travel with the program. A BOM
# marks it as UTF-8 for Notepad (two names in the notices are not in code page 932).
{ printf '\xef\xbb\xbf'; cat "$root/LICENSE"; echo; cat "$root/docs/THIRD-PARTY-NOTICES.txt"; } \
  | sed 's/$/\r/' >"$stage/LICENSE.txt"
members+=(readme.txt README.md LICENSE.txt)
(cd "$stage" && sha256sum "${members[@]}" >SHA256SUMS)
members+=(SHA256SUMS)

for m in "${members[@]}"; do
  chmod 0644 "$stage/$m"
  touch -d "@$epoch" "$stage/$m"
done
mkdir -p "$dist"
rm -f "$zip" "$zip.part"
# zip keeps local time in the entries: UTC makes them the same everywhere. -X leaves out the extra fields
# (owner, Unix times), -D the folder entries.
(cd "$stage" && TZ=UTC zip -q -X -D -9 "$zip.part" "${members[@]}")
mv "$zip.part" "$zip"
echo "$zip"
for m in "${members[@]}"; do printf '  %9d  %s\n' "$(stat -c %s "$stage/$m")" "$m"; done
