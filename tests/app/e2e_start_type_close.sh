#!/usr/bin/env bash
# The real program: it starts, takes typed text, refuses a second copy and ends with exit code 0.
. "$E2E_LIB"
exe=$1
dir=$(dirname "$exe")
saved=$(mktemp)
[ -f "$dir/velmira.ini" ] && cp "$dir/velmira.ini" "$saved" && rm -f "$dir/velmira.ini"
trap 'e2e_cleanup; rm -f "$dir/velmira.ini"; [ -s "$saved" ] && cp "$saved" "$dir/velmira.ini"; rm -f "$saved"' EXIT

e2e_start "$exe"

# A second copy ends at once with -1 and shows nothing; the first stays as it was.
set +e
wine "$exe" >/dev/null 2>&1
second=$?
set -e
[ "$second" = 255 ] || e2e_fail "second copy exit code $second, expected -1 (255)"
e2e_inspect wait "$MAIN_TITLE" 100 || e2e_fail "the first copy went away"

# Type ff8000 into the text colour's six-digit edit (group box at 180,5; edit at 15,15 inside it).
e2e_click_focus "$MAIN_TITLE" $((180 + 15 + 20)) $((5 + 15 + 10))
e2e_type key End shift+Home
e2e_type type --delay 50 ff8000
# Edits in window order: the picture path, then the text colour's six-digit, red, green and blue edits.
e2e_poll 20 e2e_text_is "$MAIN_TITLE" edit 2 FF8000 \
  || e2e_fail "EditFont reads '$(e2e_control_text "$MAIN_TITLE" edit 2)', expected FF8000"
[ "$(e2e_control_text "$MAIN_TITLE" edit 3)" = ff ] || e2e_fail "EditFR"
[ "$(e2e_control_text "$MAIN_TITLE" edit 4)" = 80 ] || e2e_fail "EditFG"
[ "$(e2e_control_text "$MAIN_TITLE" edit 5)" = 00 ] || e2e_fail "EditFB"
[ "$(e2e_scroll_pos "$MAIN_TITLE" 1)" = 255 ] || e2e_fail "BarFR"
[ "$(e2e_scroll_pos "$MAIN_TITLE" 2)" = 128 ] || e2e_fail "BarFG"
[ "$(e2e_scroll_pos "$MAIN_TITLE" 3)" = 0 ] || e2e_fail "BarFB"

# Closing ends the program with exit code 0; a new copy starts afterwards.
e2e_inspect close "$MAIN_TITLE"
code=$(e2e_wait_exit)
[ "$code" = 0 ] || e2e_fail "exit code $code, expected 0"
e2e_start "$exe"
e2e_inspect close "$MAIN_TITLE"
code=$(e2e_wait_exit)
[ "$code" = 0 ] || e2e_fail "the copy started after the first ended gave exit code $code"
echo "1 passed, 0 failed"
