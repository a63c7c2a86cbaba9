#!/usr/bin/env bash
# The real program decodes a picture through an image plug-in: the PPM test plug-in lies beside velmira.exe
# (the plug-in folder of a first start), the box is ticked with the mouse, a .ppm file's path is typed into
# the edit and confirmed with Enter, and the screen then shows the picture's colours, tiled.
. "$E2E_LIB"
exe=$1
dir=$(dirname "$exe")
plugin_built=$dir/tests/plugins/ppm.spi
plugin=$dir/velmira-e2e-ppm.spi
[ -f "$plugin_built" ] || e2e_fail "the PPM test plug-in is not built ($plugin_built)"
work=$(mktemp -d /tmp/velmira-e2e-spi.XXXXXX)
saved=$(mktemp)
[ -f "$dir/velmira.ini" ] && cp "$dir/velmira.ini" "$saved" && rm -f "$dir/velmira.ini"
trap 'e2e_cleanup; rm -f "$plugin" "$dir/velmira.ini"; [ -s "$saved" ] && cp "$saved" "$dir/velmira.ini"; rm -f "$saved"; rm -rf "$work"' EXIT
cp "$plugin_built" "$plugin"

# A 20 x 20 binary PPM in four 10 x 10 quarters: red, green (top), blue, yellow (bottom); rows top-down.
{
  printf 'P6\n20 20\n255\n'
  for y in $(seq 0 19); do
    for x in $(seq 0 19); do
      if [ "$y" -lt 10 ]; then
        if [ "$x" -lt 10 ]; then printf '\xff\x00\x00'; else printf '\x00\xff\x00'; fi
      else
        if [ "$x" -lt 10 ]; then printf '\x00\x00\xff'; else printf '\xff\xff\x00'; fi
      fi
    done
  done
} > "$work/quarters.ppm"
[ "$(stat -c %s "$work/quarters.ppm")" = $((13 + 20 * 20 * 3)) ] || e2e_fail "the PPM file has the wrong size"
picture=$(e2e_winpath "$work/quarters.ppm")
[ -n "$picture" ] || e2e_fail "no Windows path for the picture"

e2e_start "$exe"

e2e_type_picture_path "$picture"

# Tiled with the 20-pixel period; the sample text begins at (9,9) of the picture, so the samples keep to the
# top rows, the left columns and the lower right.
e2e_expect_preview "the preview does not show the picture decoded by the plug-in" \
  "2 2 ff0000" "15 3 00ff00" "3 15 0000ff" "155 170 ffff00" "162 5 ff0000" "4 187 ff0000" "41 1 ff0000"
# No message box came up: the main window is still the only window of the program.
[ "$(e2e_control_text "$MAIN_TITLE" edit 1)" = "$picture" ] || e2e_fail "the edit does not hold the loaded path"

e2e_inspect close "$MAIN_TITLE"
code=$(e2e_wait_exit)
[ "$code" = 0 ] || e2e_fail "exit code $code, expected 0"
echo "1 passed, 0 failed"
