# Sourced by the scripts that run Windows programs: a private, quiet Wine prefix under the build folder,
# a Japanese locale (code page 932) and fonts for the two Japanese faces the program asks for.
# VELMIRA_DPI=144 (or any DPI) selects a prefix of its own, build/wineprefix-144, whose displays have that many
# dots per inch: Wine's LogPixels is written when the prefix is made, before any program has run in it.
velmira_wine_env() {
  local build=$1
  if [ -n "${VELMIRA_DPI:-}" ]; then
    case $VELMIRA_DPI in
      *[!0-9]*) echo "VELMIRA_DPI must be a number of dots per inch, not '$VELMIRA_DPI'" >&2; return 1 ;;
    esac
    export WINEPREFIX=$build/wineprefix-$VELMIRA_DPI
  else
    export WINEPREFIX=${WINEPREFIX:-$build/wineprefix}
  fi
  export WINEDEBUG=${WINEDEBUG:--all}
  export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
  export WINEARCH=win32
  export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
  if [ ! -f "$WINEPREFIX/system.reg" ] || [ ! -f "$WINEPREFIX/.velmira-ready-2" ]; then
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w
    # The program asks for the classic Japanese faces by name; map them to the IPA fonts that Debian ships.
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'ＭＳ Ｐゴシック' /d 'IPAPGothic' /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'ＭＳ ゴシック' /d 'IPAGothic' /f >/dev/null 2>&1
    # No window manager runs in Xvfb: a window handed to one waits two seconds for its answer each time it is
    # hidden (every closed dialog, every minimised or closed window). The window tests' windows are kept to Wine
    # and go at once, as on Windows. Two programs hand theirs over as before: velmira.exe itself, which
    # scripts/run.sh shows on a real desktop, and the contrast tip's tests, which read the preview's tooltip off
    # the X screen, where Wine stacks it under the main window when it keeps both to itself.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    local managed
    for managed in velmira.exe color_contrast_window_tests.exe; do
      wine reg add "HKCU\\Software\\Wine\\AppDefaults\\$managed\\X11 Driver" /v Managed /d Y /f >/dev/null 2>&1
    done
    if [ -n "${VELMIRA_DPI:-}" ]; then
      wine reg add 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' /v LogPixels \
        /t REG_DWORD /d "$VELMIRA_DPI" /f >/dev/null 2>&1
    fi
    wineserver -w
    touch "$WINEPREFIX/.velmira-ready-2"
  fi
}
