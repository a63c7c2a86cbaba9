# Sourced by the scripts that run Windows programs: a private, quiet Wine prefix under the build folder,
# a Japanese locale (code page 932) and fonts for the two Japanese faces the program asks for.
velmira_wine_env() {
  local build=$1
  export WINEPREFIX=${WINEPREFIX:-$build/wineprefix}
  export WINEDEBUG=${WINEDEBUG:--all}
  export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
  export WINEARCH=win32
  export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
  if [ ! -f "$WINEPREFIX/system.reg" ] || [ ! -f "$WINEPREFIX/.velmira-ready" ]; then
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w
    # The program asks for the classic Japanese faces by name; map them to the IPA fonts that Debian ships.
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'ＭＳ Ｐゴシック' /d 'IPAPGothic' /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'ＭＳ ゴシック' /d 'IPAGothic' /f >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.velmira-ready"
  fi
}
