#!/usr/bin/env bash
# The real program: a colour stored into palette slot 7 through the text colour's "保存" survives a restart
# and comes back through the background colour's "読込" into the background colour.
. "$E2E_LIB"
exe=$1
dir=$(dirname "$exe")
PALLET_TITLE=ColorPallet
saved=$(mktemp)
[ -f "$dir/velmira.ini" ] && cp "$dir/velmira.ini" "$saved" && rm -f "$dir/velmira.ini"
trap 'e2e_cleanup; rm -f "$dir/velmira.ini"; [ -s "$saved" ] && cp "$saved" "$dir/velmira.ini"; rm -f "$saved"' EXIT

# Points in the main window's client area: the group boxes stand at (180, 5) and (180, 130); in each,
# "保存" at (140, 15) and "読込" at (179, 15), 40 x 20; the six-digit edit at (15, 15).
EDIT_FONT="$((180 + 15 + 20)) $((5 + 15 + 10))"
SAVE_FONT="$((180 + 140 + 20)) $((5 + 15 + 10))"
LOAD_BACKG="$((180 + 179 + 20)) $((130 + 15 + 10))"
# Points in the dialog's client area: slot 7 is row 1, column 1 at (60, 55), 40 x 20; Ok at (270, 80), 70 x 25.
SLOT7="$((10 + 50 * 1 + 20)) $((25 + 30 * 1 + 10))"
OK="$((270 + 35)) $((80 + 12))"

ini_has() { tr -d '\r' < "$dir/velmira.ini" | grep -qx "$1"; }

# Opens the dialog with a click on the main window and checks that it stands where it was designed:
# outer top-left (307, 174), so its client area starts just inside that by the frame and the caption.
open_pallet() {
  e2e_click "$MAIN_TITLE" $1
  e2e_poll 30 e2e_inspect wait "$PALLET_TITLE" 0 || e2e_fail "the palette dialog did not open"
  local origin
  origin=$(e2e_inspect origin "$PALLET_TITLE")
  [ "${origin% *}" -gt 307 ] && [ "${origin% *}" -lt 320 ] && [ "${origin#* }" -gt 174 ] \
    && [ "${origin#* }" -lt 210 ] || e2e_fail "the dialog's client area starts at $origin"
}
pallet_gone() { ! e2e_inspect wait "$PALLET_TITLE" 0; }

# First run: type a colour into the text colour, store it into slot 7.
e2e_start "$exe"
e2e_click "$MAIN_TITLE" $EDIT_FONT
# Select the six digits already there (Ctrl+A selects nothing in this edit control, and the edit takes at
# most six characters), then type over them.
xdotool key End shift+Home
xdotool type --delay 50 12ab56
e2e_poll 20 e2e_text_is "$MAIN_TITLE" edit 2 12AB56 \
  || e2e_fail "EditFont reads '$(e2e_control_text "$MAIN_TITLE" edit 2)', expected 12AB56"
open_pallet "$SAVE_FONT"
e2e_click "$PALLET_TITLE" $SLOT7
e2e_click "$PALLET_TITLE" $OK
e2e_poll 30 pallet_gone || e2e_fail "the dialog stayed open after Ok"
ini_has Palllet7=12AB56 || e2e_fail "slot 7 was not stored: $(tr -d '\r' < "$dir/velmira.ini" | grep Palllet7)"
ini_has Palllet6=FFFFFF || e2e_fail "slot 6 should have stayed white"
e2e_inspect close "$MAIN_TITLE"
code=$(e2e_wait_exit)
[ "$code" = 0 ] || e2e_fail "exit code $code, expected 0"

# Second run: recall slot 7 into the background colour.
e2e_start "$exe"
[ "$(e2e_control_text "$MAIN_TITLE" edit 6)" = FFFFFF ] || e2e_fail "the background did not start white"
open_pallet "$LOAD_BACKG"
e2e_click "$PALLET_TITLE" $SLOT7
e2e_click "$PALLET_TITLE" $OK
e2e_poll 30 pallet_gone || e2e_fail "the dialog stayed open after Ok"
# Edits in window order: the picture path, the text colour's five, then the background's six-digit edit.
e2e_poll 20 e2e_text_is "$MAIN_TITLE" edit 6 12AB56 \
  || e2e_fail "EditBackG reads '$(e2e_control_text "$MAIN_TITLE" edit 6)', expected 12AB56"
e2e_inspect close "$MAIN_TITLE"
code=$(e2e_wait_exit)
[ "$code" = 0 ] || e2e_fail "exit code $code, expected 0"
for pair in BR=12 BG=AB BB=56 Palllet7=12AB56; do
  ini_has "$pair" || e2e_fail "velmira.ini lacks $pair"
done
echo "1 passed, 0 failed"
