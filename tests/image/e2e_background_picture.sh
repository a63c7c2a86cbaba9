#!/usr/bin/env bash
# The real program shows a picture behind the sample text: the box is ticked with the mouse, a BMP's path is
# typed into the edit and confirmed with Enter, and the screen then shows the picture's colours, tiled.
. "$E2E_LIB"
exe=$1
dir=$(dirname "$exe")
work=$(mktemp -d /tmp/velmira-e2e-bg.XXXXXX)
saved=$(mktemp)
[ -f "$dir/velmira.ini" ] && cp "$dir/velmira.ini" "$saved" && rm -f "$dir/velmira.ini"
trap 'e2e_cleanup; rm -f "$dir/velmira.ini"; [ -s "$saved" ] && cp "$saved" "$dir/velmira.ini"; rm -f "$saved"; rm -rf "$work"' EXIT

# A 20 x 20 picture in four 10 x 10 quarters: red, green (top), blue, yellow (bottom); 24 bits, rows bottom-up.
python3 - "$work/quarters.bmp" <<'PY'
import struct, sys
w = h = 20
colours = {(0, 0): (255, 0, 0), (1, 0): (0, 255, 0), (0, 1): (0, 0, 255), (1, 1): (255, 255, 0)}
rows = b""
for y in reversed(range(h)):
    row = b"".join(bytes((b, g, r)) for r, g, b in (colours[(x // 10, y // 10)] for x in range(w)))
    rows += row + b"\0" * ((4 - len(row) % 4) % 4)
header = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
open(sys.argv[1], "wb").write(b"BM" + struct.pack("<IHHI", 14 + 40 + len(rows), 0, 0, 54) + header + rows)
PY
picture=$(e2e_winpath "$work/quarters.bmp")
[ -n "$picture" ] || e2e_fail "no Windows path for the picture"

e2e_start "$exe"

e2e_type_picture_path "$picture"

# Tiled with the 20-pixel period; the last column (160-162) and row (180-187) are cut. The sample text begins
# at (9,9) of the picture, so the samples keep to the top rows, the left columns and the lower right.
e2e_expect_preview "the preview does not show the typed picture" \
  "2 2 ff0000" "15 3 00ff00" "3 15 0000ff" "155 170 ffff00" "162 5 ff0000" "4 175 0000ff" "4 187 ff0000" \
  "41 1 ff0000"
# Enter was swallowed: the edit still holds exactly the path.
[ "$(e2e_control_text "$MAIN_TITLE" edit 1)" = "$picture" ] || e2e_fail "Enter changed the edit"

e2e_inspect close "$MAIN_TITLE"
code=$(e2e_wait_exit)
[ "$code" = 0 ] || e2e_fail "exit code $code, expected 0"
echo "1 passed, 0 failed"
