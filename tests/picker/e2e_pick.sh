#!/usr/bin/env bash
# The real program: dragging the text colour's pick icon with the mouse onto another program's window takes
# that window's colour into the text colour (and nothing else), and the colour is saved at the close.
. "$E2E_LIB"
exe=$1
dir=$(dirname "$exe")
patch_exe=$dir/tests/picker_colour_patch.exe
[ -f "$patch_exe" ] || e2e_fail "the colour patch helper $patch_exe is not built"
PATCH_TITLE=VelmiraPickPatch
saved=$(mktemp)
[ -f "$dir/velmira.ini" ] && cp "$dir/velmira.ini" "$saved" && rm -f "$dir/velmira.ini"
cleanup() {
  # A subshell, so that the library's failure exit cannot change the test's result from here.
  [ -n "${patch_open:-}" ] && (e2e_inspect close "$PATCH_TITLE") >/dev/null 2>&1 || true
  xdotool mouseup 1 2>/dev/null || true
  e2e_cleanup
  rm -f "$dir/velmira.ini"
  [ -s "$saved" ] && cp "$saved" "$dir/velmira.ini"
  rm -f "$saved"
}
trap cleanup EXIT

e2e_start "$exe"

# Another program's window in a known colour, well away from velmira's window.
wine explorer /desktop="$E2E_DESKTOP",1024x768 "$(e2e_winpath "$patch_exe")" 700 500 120 120 12AB0C \
  >/dev/null 2>&1 &
patch_open=1
e2e_inspect wait "$PATCH_TITLE" 60000 || e2e_fail "the colour patch did not appear"

back_before=$(e2e_control_text "$MAIN_TITLE" edit 6)

# The text colour's pick icon: group box at (180, 5), its panel at (230, 9), the picture from (1, 1) in that.
icon=$(e2e_screen_point "$MAIN_TITLE" $((180 + 230 + 1 + 14)) $((5 + 9 + 1 + 14)))
# Released 5 pixels right of and below the patch's centre, the sight's centre lies on the patch's centre.
target=$(e2e_screen_point "$PATCH_TITLE" 65 65)
patch_origin=$(e2e_inspect origin "$PATCH_TITLE")
scope_expected="$((${patch_origin% *} + 65 - 19)) $((${patch_origin#* } + 65 - 19))"

xdotool mousemove ${icon% *} ${icon#* }
xdotool mousedown 1
e2e_poll 30 e2e_inspect wait ScopeForm 0 || e2e_fail "no sight after pressing on the pick icon"
x0=${icon% *} y0=${icon#* } x1=${target% *} y1=${target#* }
for i in 1 2 3 4 5 6 7 8 9 10; do
  xdotool mousemove $((x0 + (x1 - x0) * i / 10)) $((y0 + (y1 - y0) * i / 10))
  sleep 0.05  # pacing of the drag only; the wait below is the synchronisation
done
scope_at_target() { [ "$(e2e_inspect origin ScopeForm)" = "$scope_expected" ]; }
e2e_poll 30 scope_at_target \
  || e2e_fail "the sight stands at '$(e2e_inspect origin ScopeForm)', expected '$scope_expected'"
xdotool mouseup 1

e2e_poll 30 e2e_text_is "$MAIN_TITLE" edit 2 12AB0C \
  || e2e_fail "EditFont reads '$(e2e_control_text "$MAIN_TITLE" edit 2)', expected 12AB0C"
[ "$(e2e_control_text "$MAIN_TITLE" edit 3)" = 12 ] || e2e_fail "EditFR"
[ "$(e2e_control_text "$MAIN_TITLE" edit 4)" = AB ] || e2e_fail "EditFG"
[ "$(e2e_control_text "$MAIN_TITLE" edit 5)" = 0C ] || e2e_fail "EditFB"
[ "$(e2e_control_text "$MAIN_TITLE" edit 6)" = "$back_before" ] || e2e_fail "the background colour changed"
scope_gone() { ! e2e_inspect wait ScopeForm 0; }
e2e_poll 30 scope_gone || e2e_fail "the sight is still there after the pick"
e2e_inspect close "$PATCH_TITLE" || e2e_fail "the colour patch went away during the pick"
patch_open=

e2e_inspect close "$MAIN_TITLE"
code=$(e2e_wait_exit)
[ "$code" = 0 ] || e2e_fail "exit code $code, expected 0"
ini=$(tr -d '\r' < "$dir/velmira.ini")
for pair in FR=12 FG=AB FB=0C; do
  grep -qx "$pair" <<<"$ini" || e2e_fail "velmira.ini lacks $pair"
done
echo "1 passed, 0 failed"
