#!/usr/bin/env bash
# The real program keeps its colours, display format, picture switch and path, plug-in folder, the open-file
# dialog's starting folder and the loupe switch in velmira.ini across a restart: a hand-written file is read, a
# colour typed and the picture switched on through the window, and the file written at the close is read back by
# the next start.
. "$E2E_LIB"
exe=$1
dir=$(dirname "$exe")
ini=$dir/velmira.ini
saved=$(mktemp)
work=$(mktemp -d)
[ -f "$ini" ] && cp "$ini" "$saved" && rm -f "$ini"
trap 'e2e_cleanup; rm -f "$ini"; [ -s "$saved" ] && cp "$saved" "$ini"; rm -f "$saved"; rm -rf "$work"' EXIT

# A one-pixel BMP in a folder with a Japanese name: 表 (0x95 0x5C) ends in the byte of a backslash.
mkdir -p "$work/表示" "$work/plugins"
printf 'BM\x3a\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0\x01\0\0\0\x01\0\0\0\x01\0\x18\0\0\0\0\0\x04\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\x40\x80\xc0\0' \
  > "$work/表示/pic.bmp"
winwork=$(e2e_winpath "$work")
picture="$winwork\\$(printf '\x95\x5c\x8e\xa6')\\pic.bmp"   # Shift-JIS, as the file holds it
plugins="$winwork\\plugins\\"
# CRLF lines in the order the program writes its keys.
# The pick key and the contrast details' place are left at their defaults.
settings() {  # IniDir Spi Loupe FR FG FB BR BG BB Input UseImage Path
  printf '[Option]\r\nIniDir=%s\r\nSpi=%s\r\nLoupe=%s\r\nPickKey=\r\nDetailsLeft=680\r\nDetailsTop=100\r\nDetailsWidth=360\r\nDetailsHeight=240\r\nSample=1\r\nTableLeft=680\r\nTableTop=380\r\nTableWidth=560\r\nTableHeight=300\r\n[Color]\r\nFR=%s\r\nFG=%s\r\nFB=%s\r\nBR=%s\r\nBG=%s\r\nBB=%s\r\nInput=%s\r\n[BackGround]\r\nUseImage=%s\r\nPath=%s\r\n' "$@"
}
# Some systems put an empty line before each section they add; the keys and their order are what counts.
on_disk() { sed '/^\r$/d' "$ini"; }

settings "$winwork\\start\\" "$plugins" 0 12 ab 3C 40 80 C0 0 0 "$picture" > "$ini"

e2e_start "$exe"
# Edits in window order: the picture path, EditFont, EditFR, EditFG, EditFB, EditBackG, EditBR, EditBG, EditBB.
e2e_poll 20 e2e_text_is "$MAIN_TITLE" edit 2 12AB3C || e2e_fail "EditFont reads '$(e2e_control_text "$MAIN_TITLE" edit 2)'"
[ "$(e2e_control_text "$MAIN_TITLE" edit 4)" = 171 ] || e2e_fail "Input=0 should show the channels in decimal"

# Type a background colour into EditBackG (group at 180,130; edit at 15,15), then tick the picture switch
# (group at 5,255; check box at 20,0).
e2e_click "$MAIN_TITLE" $((180 + 15 + 20)) $((130 + 15 + 10))
# Wine's edit control takes no Ctrl+A: clear the six digits with the keyboard instead.
xdotool key End BackSpace BackSpace BackSpace BackSpace BackSpace BackSpace
xdotool type --delay 50 102030
e2e_poll 20 e2e_text_is "$MAIN_TITLE" edit 7 16 || e2e_fail "EditBR reads '$(e2e_control_text "$MAIN_TITLE" edit 7)'; $(e2e_inspect tree "$MAIN_TITLE")"
e2e_click "$MAIN_TITLE" $((5 + 20 + 10)) $((255 + 8))
background_disabled() {  # EditBR's enabled flag in the tree
  [ "$(e2e_inspect tree "$MAIN_TITLE" | awk -F'|' 'tolower($1)=="edit"{k++; if(k==7){print $3; exit}}')" = 0 ]
}
e2e_poll 20 background_disabled || e2e_fail "the picture switch did not disable the background colour's edits"

e2e_inspect close "$MAIN_TITLE"
code=$(e2e_wait_exit)
[ "$code" = 0 ] || e2e_fail "exit code $code, expected 0"
expected=$(settings "$winwork\\start" "$plugins" 0 12 ab 3C 10 20 30 0 1 "$picture")
[ "$(on_disk)" = "$expected" ] || e2e_fail "after the first close the file reads:
$(cat -A "$ini")"

# The next start restores it all: decimal channels, the picture switch on, the colours as saved.
e2e_start "$exe"
e2e_poll 20 e2e_text_is "$MAIN_TITLE" edit 2 12AB3C || e2e_fail "EditFont after the restart"
[ "$(e2e_control_text "$MAIN_TITLE" edit 6)" = 102030 ] || e2e_fail "EditBackG after the restart"
[ "$(e2e_control_text "$MAIN_TITLE" edit 7)" = 16 ] || e2e_fail "EditBR after the restart (decimal display)"
background_disabled || e2e_fail "the picture switch is off after the restart"
e2e_inspect close "$MAIN_TITLE"
code=$(e2e_wait_exit)
[ "$code" = 0 ] || e2e_fail "exit code $code after the restart, expected 0"
[ "$(on_disk)" = "$expected" ] || e2e_fail "the second close changed the file:
$(cat -A "$ini")"
echo "1 passed, 0 failed"
