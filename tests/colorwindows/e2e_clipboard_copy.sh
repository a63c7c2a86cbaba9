#!/usr/bin/env bash
# The real program's copy button puts the text colour's six digits on the clipboard, where an X program finds
# them as text.
. "$E2E_LIB"
exe=$1
dir=$(dirname "$exe")
ini=$dir/velmira.ini
saved=$(mktemp)
[ -f "$ini" ] && cp "$ini" "$saved" && rm -f "$ini"
trap 'e2e_cleanup; rm -f "$ini"; [ -s "$saved" ] && cp "$saved" "$ini"; rm -f "$saved"' EXIT

e2e_start "$exe"
# Something else on the X clipboard first, so that the copy is seen to replace it.
printf 'before' | xclip -selection clipboard
clipboard() { xclip -o -selection clipboard 2>/dev/null; }
clipboard_is() { [ "$(clipboard)" = "$1" ]; }
e2e_poll 20 clipboard_is before || e2e_fail "xclip could not take the clipboard"

# Type ff8000 into EditFont (group at 180,5; edit at 15,15): the colour's digits become FF8000.
e2e_click "$MAIN_TITLE" $((180 + 15 + 20)) $((5 + 15 + 10))
# Wine's edit control takes no Ctrl+A: clear the six digits with the keyboard instead.
xdotool key End BackSpace BackSpace BackSpace BackSpace BackSpace BackSpace
xdotool type --delay 50 ff8000
e2e_poll 20 e2e_text_is "$MAIN_TITLE" edit 2 FF8000 || e2e_fail "EditFont reads '$(e2e_control_text "$MAIN_TITLE" edit 2)'"

# Press "コピー" beside it (at 85,15 in the group, 50 by 20).
e2e_click "$MAIN_TITLE" $((180 + 85 + 25)) $((5 + 15 + 10))
e2e_poll 20 clipboard_is FF8000 || e2e_fail "the X clipboard holds '$(clipboard)', expected FF8000"

e2e_inspect close "$MAIN_TITLE"
code=$(e2e_wait_exit)
[ "$code" = 0 ] || e2e_fail "exit code $code, expected 0"
echo "1 passed, 0 failed"
