# Shared functions of the end-to-end scripts: the real velmira.exe in Wine's virtual desktop, driven with
# xdotool from the X side and looked into with the inspection tool (INSPECT) from the Windows side.
# Every wait polls a condition with a deadline.
set -euo pipefail

E2E_DESKTOP=velmira-e2e
MAIN_TITLE="Velmira Ver.2.30"

e2e_fail() { echo "FAIL: $*" >&2; exit 1; }

# Runs a command until it succeeds or the deadline (seconds) passes.
e2e_poll() {
  local deadline=$(( $(date +%s) + $1 )); shift
  until "$@" >/dev/null 2>&1; do
    [ "$(date +%s)" -lt "$deadline" ] || return 1
    sleep 0.2
  done
}

e2e_winpath() { winepath -w "$1" 2>/dev/null; }

# Runs the inspection tool inside the program's desktop and prints its output; fails when it does.
e2e_inspect() {
  local out rc
  out=$(mktemp -u /tmp/velmira-inspect.XXXXXX)
  wine explorer /desktop="$E2E_DESKTOP",1024x768 "$(e2e_winpath "$INSPECT")" -o "$(e2e_winpath "$out")" "$@" \
    >/dev/null 2>&1 || true
  e2e_poll 30 test -f "$out" || e2e_fail "the inspection tool gave no answer to: $*"
  rc=$(tail -n 1 "$out" | tr -d '\r')
  head -n -1 "$out" | tr -d '\r'
  rm -f "$out"
  [ "$rc" = rc=0 ]
}

# Starts the program in the virtual desktop; its exit code lands in $E2E_EXIT_FILE when it ends.
e2e_start() {
  local exe=$1
  E2E_EXIT_FILE=$(mktemp -u /tmp/velmira-exit.XXXXXX)
  rm -f "$E2E_EXIT_FILE"
  wine explorer /desktop="$E2E_DESKTOP",1024x768 "$(e2e_winpath "$INSPECT")" run "$(e2e_winpath "$exe")" \
    "$(e2e_winpath "$E2E_EXIT_FILE")" >/dev/null 2>&1 &
  E2E_DESKTOP_PID=$!
  e2e_poll 60 xdotool search --name "$E2E_DESKTOP" || e2e_fail "no virtual desktop window"
  e2e_inspect wait "$MAIN_TITLE" 60000 || e2e_fail "the main window did not appear"
}

# Waits for the program to end and prints its exit code.
e2e_wait_exit() {
  e2e_poll 60 test -s "$E2E_EXIT_FILE" || e2e_fail "the program did not end"
  tr -d '\r' < "$E2E_EXIT_FILE"
  rm -f "$E2E_EXIT_FILE"
  # The desktop closes once nothing runs in it; give it a while, then end it ourselves.
  e2e_poll 20 bash -c "! kill -0 $E2E_DESKTOP_PID" || kill "$E2E_DESKTOP_PID" 2>/dev/null || true
  wait "$E2E_DESKTOP_PID" 2>/dev/null || true
}

# Screen position (X side) of a point given in the client area of a window (Windows side).
e2e_screen_point() {
  local title=$1 x=$2 y=$3 origin desktop
  origin=$(e2e_inspect origin "$title") || e2e_fail "no window '$title'"
  desktop=$(xdotool search --name "$E2E_DESKTOP" | head -n 1)
  eval "$(xdotool getwindowgeometry --shell "$desktop")"
  echo "$((X + ${origin% *} + x)) $((Y + ${origin#* } + y))"
}

e2e_click() {
  local p
  p=$(e2e_screen_point "$1" "$2" "$3")
  xdotool mousemove ${p% *} ${p#* } click 1
}

# Gives the virtual desktop the X keyboard focus (other Wine processes started meanwhile may have taken it),
# then types into whatever has the focus inside it.
e2e_type() {
  local desktop
  desktop=$(xdotool search --name "$E2E_DESKTOP" | head -n 1)
  xdotool windowfocus --sync "$desktop" 2>/dev/null || xdotool windowfocus "$desktop"
  xdotool "$@"
}

# True when the focused control's rectangle (client coordinates of the window) contains the point.
e2e_focus_at() {
  local title=$1 x=$2 y=$3 rect
  rect=$(e2e_inspect focus "$title" | cut -d'|' -f2) || return 1
  IFS=, read -r l t w h <<<"$rect"
  [ "$x" -ge "$l" ] && [ "$x" -lt $((l + w)) ] && [ "$y" -ge "$t" ] && [ "$y" -lt $((t + h)) ]
}

# Clicks a control and waits until it has the keyboard focus, clicking again if the first click was lost.
e2e_click_focus() {
  local title=$1 x=$2 y=$3 try
  for try in 1 2 3 4 5; do
    e2e_click "$title" "$x" "$y"
    e2e_poll 5 e2e_focus_at "$title" "$x" "$y" && return 0
  done
  e2e_fail "the control at $x,$y of '$title' does not take the focus"
}

e2e_text_is() { [ "$(e2e_control_text "$1" "$2" "$3")" = "$4" ]; }

# The text of the n-th control of a class (counted from 1 in the window's child order).
e2e_control_text() {
  local title=$1 cls=$2 n=$3
  e2e_inspect tree "$title" | awk -F'|' -v c="$cls" -v n="$n" 'tolower($1)==tolower(c){k++; if(k==n){print $4; exit}}'
}

e2e_scroll_pos() {
  local title=$1 n=$2
  e2e_inspect tree "$title" | awk -F'|' -v n="$n" 'tolower($1)=="scrollbar"{k++; if(k==n){print $5; exit}}'
}

e2e_cleanup() {
  [ -n "${E2E_DESKTOP_PID:-}" ] && kill "$E2E_DESKTOP_PID" 2>/dev/null || true
}

# Ticks "背景に画像を指定する" (picture group at 5,255; the box at 20,0 in it), types a Windows path into the
# path edit (10,25 in the group) and confirms it with Enter.
e2e_type_picture_path() {
  local picture=$1
  e2e_click "$MAIN_TITLE" $((5 + 20 + 7)) $((255 + 8))
  e2e_poll 20 e2e_picture_edit_enabled || e2e_fail "ticking the box did not enable the path edit"
  e2e_click "$MAIN_TITLE" $((5 + 10 + 150)) $((255 + 25 + 10))
  xdotool key ctrl+a
  xdotool type --delay 30 "$picture"
  e2e_poll 20 e2e_text_is "$MAIN_TITLE" edit 1 "$picture" \
    || e2e_fail "the edit reads '$(e2e_control_text "$MAIN_TITLE" edit 1)', expected $picture"
  xdotool key Return
}

e2e_picture_edit_enabled() {
  [ "$(e2e_inspect tree "$MAIN_TITLE" | awk -F'|' 'tolower($1)=="edit"{print $3; exit}')" = 1 ]
}

# The colour (rrggbb) that a screenshot shows at a point of the preview's picture, which starts at (6,6) of the
# client area (the panel at 5,5 and its one-pixel bevel).
e2e_preview_pixel() {
  local shot=$1 x=$2 y=$3 p
  p=$(e2e_screen_point "$MAIN_TITLE" $((6 + x)) $((6 + y)))
  convert "$shot" -crop "1x1+${p% *}+${p#* }" -depth 8 txt: | awk 'NR==2{print tolower($3)}' | tr -d '#'
}

# Waits until the preview shows every sample "x y rrggbb"; fails with what it shows instead.
e2e_expect_preview() {
  local what=$1 shot s
  shift
  shot=$(mktemp /tmp/velmira-shot.XXXXXX.png)
  E2E_SAMPLES=("$@")
  e2e_preview_matches() {
    import -window root "$shot" || return 1
    local s
    for s in "${E2E_SAMPLES[@]}"; do
      set -- $s
      [ "$(e2e_preview_pixel "$shot" "$1" "$2")" = "$3" ] || return 1
    done
  }
  if ! e2e_poll 30 e2e_preview_matches; then
    for s in "${E2E_SAMPLES[@]}"; do
      set -- $s
      echo "picture $1,$2: $(e2e_preview_pixel "$shot" "$1" "$2"), expected $3" >&2
    done
    rm -f "$shot"
    e2e_fail "$what"
  fi
  rm -f "$shot"
}
