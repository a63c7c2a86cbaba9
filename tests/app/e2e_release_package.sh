#!/usr/bin/env bash
# The release zip as a Windows user gets it (scripts/package.sh writes it, scripts/test.sh before the tests):
# its members in their order with sums that match, the version resource that the Properties page shows, and
# the packaged program started from a folder of its own, where its bundled plug-in shows a PNG.
#   e2e_release_package.sh <zip> <version> "<program files in the zip's order>"
. "$E2E_LIB"
zip=$1 version=$2
read -ra programs <<<"$3"
[ -f "$zip" ] || e2e_fail "no $zip: scripts/package.sh writes it"
work=$(mktemp -d /tmp/velmira-package.XXXXXX)
trap 'e2e_cleanup; rm -rf "$work"' EXIT
dir=$work/Velmira

members=$(unzip -Z1 "$zip")
expected=$(printf '%s\n' "${programs[@]}" readme.txt README.md LICENSE.txt SHA256SUMS)
[ "$members" = "$expected" ] || e2e_fail "the zip holds: $(echo $members), expected: $(echo $expected)"
unzip -q "$zip" -d "$dir"
(cd "$dir" && sha256sum --quiet -c SHA256SUMS) || e2e_fail "SHA256SUMS does not match the files"

for f in "${programs[@]}"; do
  info=$(e2e_inspect version "$(e2e_winpath "$dir/$f")" | iconv -f CP932 -t UTF-8) \
    || e2e_fail "$f: no version resource"
  for want in "Version=$version.0.0" "Translation=0411/932" "FileVersion=$version" "ProductVersion=$version" \
              "ProductName=Velmira" "OriginalFilename=$f"; do
    grep -qxF "$want" <<<"$info" || e2e_fail "$f: no $want in its version resource:"$'\n'"$info"
  done
  grep -q '^FileDescription=Velmira .' <<<"$info" || e2e_fail "$f: no description in its version resource"
done

# A PNG is for the bundled plug-in alone: the program itself reads only BMP and JPEG.
convert -size 20x20 xc:'#3366cc' -strip "PNG24:$work/blue.png"
e2e_start "$dir/velmira.exe"
e2e_type_picture_path "$(e2e_winpath "$work/blue.png")"
e2e_expect_preview "the packaged program does not show the PNG through its plug-in" "2 2 3366cc" "155 170 3366cc"
e2e_inspect close "$MAIN_TITLE"
code=$(e2e_wait_exit)
[ "$code" = 0 ] || e2e_fail "exit code $code, expected 0"
[ -f "$dir/velmira.ini" ] || e2e_fail "closing wrote no velmira.ini beside the program"
echo "1 passed, 0 failed"
