#!/usr/bin/env bash
# Runs the benchmarks and prints their tables (Markdown). They are measurements, not tests: nothing fails.
#
#   scripts/bench.sh [load|startup|scroll|nearest|loupe|spihost|all]     (default: all)
#
#   load     picture load time, bytes read and peak memory, native (Release, no sanitizers) and under Wine,
#            against our own full decode and libjpeg-turbo's djpeg
#   startup  start-up of velmira.exe under Wine until its window is painted, against an empty window and
#            against the floor: the same window written straight on Win32
#   scroll   one scroll notification's cost over a full thumb drag, and calls that change nothing
#   nearest  the nearest passing colour's search, natively on one thread, over a grid of pairs, random
#            pairs and the hardest pairs found; NEAREST_VERIFY=N also checks N pairs against all colours
#   loupe    one tick of the pick's loupe under Wine (capture, drawing, text, move), and its drawing natively
#   spihost  a plug-in decode through the helper process against the same decode in-process, first and later
#
# Build folders and generated pictures (never in git) can be moved with BENCH_NATIVE_BUILD, BENCH_WIN_BUILD,
# BENCH_DATA; STARTUP_RUNS sets the number of start-up runs per program (default 15).
# The machine should be otherwise idle: every figure is wall-clock time.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
native=$(realpath -m "${BENCH_NATIVE_BUILD:-$root/build/bench-native}")
win=$(realpath -m "${BENCH_WIN_BUILD:-$root/build/bench-win}")
data=$(realpath -m "${BENCH_DATA:-$root/build/bench-data}")
runs=${STARTUP_RUNS:-15}
what=${1:-all}

# Z:\ is the whole Unix file system in every Wine prefix.
winpath() { printf 'Z:%s' "$(realpath -m "$1" | tr / '\\')"; }

build_native() {
  cmake -S "$root" -B "$native" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMIRA_TESTS=OFF >/dev/null
  cmake --build "$native" --target velmira_load_bench velmira_loupe_bench >/dev/null
}

build_win() {
  cmake -S "$root" -B "$win" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$root/scripts/wine-run.sh" >/dev/null
  cmake --build "$win" --target velmira velmira_wic spi_ppm velmira_load_bench velmira_minimal_window velmira_floor_window \
    velmira_startup_probe velmira_scroll_bench velmira_loupe_bench velmira_spihost velmira_spihost_bench >/dev/null
}

# Runs a command with the Wine environment of the Windows build, inside Xvfb.
in_wine() {
  xvfb-run -a -s "-screen 0 1280x1024x24" bash -c \
    '. "$0/scripts/wine-env.sh"; velmira_wine_env "$1"; shift; "$@"' "$root" "$win" "$@"
}

bench_load() {
  build_native
  build_win
  mkdir -p "$data"
  "$native/bench/velmira_load_bench" generate "$data"
  local tsv=$data/wine-load.tsv
  echo "## Picture load under Wine (Windows build, FileByteSource)"
  in_wine wine "$win/bench/velmira_load_bench.exe" run "$(winpath "$data")" --tsv "$(winpath "$tsv")" \
    "$(winpath "$win/velmira_spihost.exe")" "$(winpath "$win/velmira_wic.spi")" 2>/dev/null
  echo
  echo "## Picture load, native and Wine side by side"
  "$native/bench/velmira_load_bench" run "$data" --wine "$tsv"
}

# The start-up runs with a picture in use: the settings' picture and its label.
startup_pictures=(
  "jpeg-8000x6000.jpg|48 MP JPEG"
  "png-640x480.png|0.3 MP PNG" "png-8000x6000.png|48 MP PNG" "png-10000x10000-plain.png|100 MP PNG"
  "png-adam7-8000x6000.png|48 MP PNG, interlaced"
  "tiff-strips-640x480.tif|0.3 MP TIFF, strips" "tiff-strips-8000x6000.tif|48 MP TIFF, strips"
  "tiff-tiles-8000x6000.tif|48 MP TIFF, tiles"
  "webp-640x480.webp|0.3 MP WebP" "webp-8000x6000.webp|48 MP WebP"
  "gif-640x480.gif|0.3 MP GIF" "gif-8000x6000.gif|48 MP GIF"
)

# Folders of copies of the program, each with its own settings file, so that no run touches the build's.
startup_setups() {
  local s=$win/bench/startup
  rm -rf "$s"
  mkdir -p "$s/minimal" "$s/floor" "$s/shipped" "$s/plugins20/plugins" "$s/plugins20-first"
  cp "$win/bench/velmira_minimal_window.exe" "$s/minimal/"
  cp "$win/bench/velmira_floor_window.exe" "$s/floor/"
  # As shipped: the release zip unpacked (the image plug-in beside the program, which is the default plug-in
  # folder; no settings file).
  "$root/scripts/package.sh" >/dev/null
  unzip -q -o "$root"/dist/velmira-*-win32.zip velmira.exe velmira_wic.spi velmira_spihost.exe -d "$s/shipped"
  # Twenty plug-ins in a folder of their own, named in the settings file. After the first start their
  # descriptions come from velmira_spi.cache; where that cannot be written (here a folder stands in its way)
  # every start has the helper describe them, as the first start does.
  cp "$s/shipped/"*.exe "$s/plugins20/"
  local i
  for i in $(seq -w 1 20); do cp "$win/tests/plugins/ppm.spi" "$s/plugins20/plugins/ppm$i.spi"; done
  printf '[Option]\r\nSpi=%s\r\n' "$(winpath "$s/plugins20/plugins")" >"$s/plugins20/velmira.ini"
  cp "$s/plugins20/"*.exe "$s/plugins20/velmira.ini" "$s/plugins20-first/"
  mkdir "$s/plugins20-first/velmira_spi.cache"
  # A picture of each kind as the preview's background, loaded during start-up.
  local entry file n=0
  for entry in "${startup_pictures[@]}"; do
    file=${entry%%|*}
    n=$((n + 1))
    mkdir -p "$s/picture$n"
    cp "$s/shipped/"* "$s/picture$n/"
    printf '[BackGround]\r\nUseImage=1\r\nPath=%s\r\n' "$(winpath "$data/$file")" >"$s/picture$n/velmira.ini"
  done
}

bench_startup() {
  build_native
  build_win
  mkdir -p "$data"
  "$native/bench/velmira_load_bench" generate "$data" 2>/dev/null
  startup_setups
  local s=$win/bench/startup title="Velmira Ver.2.30"
  # Painted = the form's face (2,2), the preview's bottom right (160,190) and the hex edit's blank right
  # end (250,30) show their colours: three separately painted windows. The picture runs wait for the
  # picture's own pixel there instead of the white background.
  local points="2,2,btnface;160,190,FFFFFF;250,30,window"
  local args=() entry file n=0 pixel
  for entry in "${startup_pictures[@]}"; do
    file=${entry%%|*}
    n=$((n + 1))
    pixel=$("$native/bench/velmira_load_bench" pixel "$data/$file" 154 184)
    args+=("velmira, ${entry#*|} in use" "$title" "2,2,btnface;160,190,$pixel;250,30,window"
      "$(winpath "$s/picture$n/velmira.exe")")
  done
  echo "## Start-up under Wine until the window is painted ($runs runs each, taking turns)"
  in_wine wine "$win/bench/velmira_startup_probe.exe" "$runs" \
    "minimal window" "Velmira minimal window" "2,2,btnface" "$(winpath "$s/minimal/velmira_minimal_window.exe")" \
    "floor window" "Velmira floor window" "$points" "$(winpath "$s/floor/velmira_floor_window.exe")" \
    "velmira (as shipped)" "$title" "$points" "$(winpath "$s/shipped/velmira.exe")" \
    "velmira, 20 plug-ins" "$title" "$points" "$(winpath "$s/plugins20/velmira.exe")" \
    "velmira, 20 plug-ins, no cache" "$title" "$points" "$(winpath "$s/plugins20-first/velmira.exe")" \
    "${args[@]}" 2> >(grep -v fixme >&2) | grep -v " run "
}

bench_nearest() {
  cmake -S "$root" -B "$native" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMIRA_TESTS=OFF >/dev/null
  cmake --build "$native" --target velmira_nearest_bench >/dev/null
  echo "## Nearest passing colour, native, one thread"
  "$native/bench/velmira_nearest_bench" --verify "${NEAREST_VERIFY:-0}"
}

bench_scroll() {
  build_native
  build_win
  mkdir -p "$data"
  "$native/bench/velmira_load_bench" generate "$data" 2>/dev/null
  [ -d "$win/bench/startup/plugins20/plugins" ] || startup_setups
  echo "## Main window creation and scroll thumb drag under Wine (in-process)"
  in_wine wine "$win/bench/velmira_scroll_bench.exe" "$(winpath "$win/bench/startup/plugins20/plugins")" \
    "$(winpath "$data/jpeg-8000x6000.jpg")" "$(winpath "$win/velmira_spihost.exe")" 2> >(grep -v fixme >&2)
}

bench_loupe() {
  build_native
  build_win
  "$native/bench/velmira_loupe_bench"
  echo
  in_wine wine "$win/bench/velmira_loupe_bench.exe" 2> >(grep -v fixme >&2)
}

bench_spihost() {
  build_win
  mkdir -p "$data"
  echo "## Plug-in decode under Wine: through the helper process and in-process (${SPIHOST_RUNS:-15} runs each, medians)"
  in_wine wine "$win/bench/velmira_spihost_bench.exe" "$(winpath "$win/velmira_spihost.exe")" \
    "$(winpath "$win/tests/plugins/ppm.spi")" "$(winpath "$data")" "${SPIHOST_RUNS:-15}" 2> >(grep -v fixme >&2)
}

case $what in
  load) bench_load ;;
  startup) bench_startup ;;
  scroll) bench_scroll ;;
  nearest) bench_nearest ;;
  loupe) bench_loupe ;;
  spihost) bench_spihost ;;
  all) bench_load; echo; bench_startup; echo; bench_scroll; echo; bench_nearest; echo; bench_loupe; echo; bench_spihost ;;
  *) echo "usage: $0 [load|startup|scroll|nearest|loupe|spihost|all]" >&2; exit 2 ;;
esac
