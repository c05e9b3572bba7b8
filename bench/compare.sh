#!/usr/bin/env bash
# Whole-process comparison of the blurred-margin wallpaper change (style 6) of a 6000 × 4000
# photograph onto a 3840 × 2160 screen:
#   tapestra-compose   the real ChangeWallpaper with a recording desktop
#   ImageMagick        the same job: stretch, blur sigma 3, contrast, fit, centre, BMP3
#   djpeg -bmp         decoding the JPEG and writing a BMP: the floor for any such job
# Prints the times, their ratios and each program's peak memory.
#
# usage: bench/compare.sh [BUILD_DIR]      (default ./build; needs tools/tapestra-compose)
# Environment: RUNS (timed runs per program, default 10), WORK (folder for the test
# picture and outputs, default BUILD_DIR/compare).
set -euo pipefail

build=${1:-./build}
tool=$build/tools/tapestra-compose
convert=/usr/bin/convert
runs=${RUNS:-10}
work=${WORK:-$build/compare}

[[ -x $tool ]] || { echo "no $tool: build the tapestra-compose target first" >&2; exit 2; }
[[ -x $convert ]] || { echo "ImageMagick $convert is missing (apt-get install imagemagick)" >&2; exit 2; }
command -v djpeg >/dev/null || { echo "djpeg is missing (apt-get install libjpeg-turbo-progs)" >&2; exit 2; }
mkdir -p "$work/out-tapestra" "$work/out-magick" "$work/out-djpeg"
photo=$work/photo-6000x4000.jpg

# A photograph-like test picture: a plasma fractal (smooth areas), lightly blurred, Gaussian
# grain, hard-edged shapes and text; baseline JPEG, quality 90, 4:2:0. Made once and kept.
if [[ ! -s $photo ]]; then
  echo "making $photo ..."
  "$convert" -size 1500x1000 -seed 7 plasma:fractal -blur 0x1.5 -resize '6000x4000!' \
    -attenuate 0.5 +noise Gaussian \
    -fill '#202830' -draw 'rectangle 700,2500 1900,3700' \
    -fill '#e8e0c0' -draw 'circle 4300,1200 4300,1900' \
    -stroke '#101010' -strokewidth 18 -draw 'line 300,300 5700,3200' -stroke none \
    -fill white -pointsize 260 -draw "text 2600,3650 'Tapestra 2026'" \
    -sampling-factor 4:2:0 -quality 90 "$photo.tmp.jpg"
  mv "$photo.tmp.jpg" "$photo"
fi

cmd_tapestra="$tool wallpaper --screen 3840x2160 --style 6 --filter Bilinear --folder $work/out-tapestra $photo"
# Background: stretched to the screen, blurred (sigma 3), contrast lowered; the picture fitted
# into the screen and centred over it; written as an uncompressed 24-bit BMP.
cmd_magick="$convert $photo ( -clone 0 -resize 3840x2160! -blur 0x3 -brightness-contrast 0x-10 ) ( -clone 0 -resize 3840x2160 ) -delete 0 -gravity center -compose over -composite -type TrueColor BMP3:$work/out-magick/wallpaper.bmp"
cmd_djpeg="djpeg -bmp -outfile $work/out-djpeg/photo.bmp $photo"

# Checks that each command works before timing it.
$cmd_tapestra | grep -q '^result true$' || { echo "tapestra-compose failed" >&2; exit 1; }
$cmd_magick
$cmd_djpeg

mean_of() {  # mean wall time in seconds of a command, from hyperfine or from a loop
  local cmd=$1 csv
  if command -v hyperfine >/dev/null; then
    csv=$(mktemp)
    hyperfine --shell=none --style none --warmup 2 --runs "$runs" --export-csv "$csv" "$cmd" >/dev/null
    awk -F, 'NR == 2 { printf "%.4f\n", $2 }' "$csv"
    rm -f "$csv"
  else
    local times="" t
    $cmd >/dev/null
    for ((i = 0; i < runs; i++)); do
      /usr/bin/time -f %e -o "$work/time.txt" $cmd >/dev/null 2>&1
      t=$(tail -1 "$work/time.txt")
      times="$times $t"
    done
    echo "$times" | awk '{ s = 0; for (i = 1; i <= NF; i++) s += $i; printf "%.4f\n", s / NF }'
  fi
}

peak_mb() {  # the largest resident set over three runs, in MB
  local best=0 kb
  for _ in 1 2 3; do
    /usr/bin/time -f %M -o "$work/time.txt" $1 >/dev/null 2>&1
    kb=$(tail -1 "$work/time.txt")
    ((kb > best)) && best=$kb
  done
  echo $((best / 1024))
}

magick_runs=$((runs < 3 ? runs : 3))  # ImageMagick takes seconds per run
t_tap=$(mean_of "$cmd_tapestra")
t_djpeg=$(mean_of "$cmd_djpeg")
t_magick=$(RUNS=$magick_runs runs=$magick_runs mean_of "$cmd_magick")
m_tap=$(peak_mb "$cmd_tapestra")
m_djpeg=$(peak_mb "$cmd_djpeg")
m_magick=$(peak_mb "$cmd_magick")

echo
echo "style-6 change of $(basename "$photo") onto 3840x2160, $(nproc) cores"
printf '%-18s %10s %12s\n' program "time (s)" "peak (MB)"
printf '%-18s %10.3f %12d\n' tapestra-compose "$t_tap" "$m_tap"
printf '%-18s %10.3f %12d\n' "djpeg -bmp" "$t_djpeg" "$m_djpeg"
printf '%-18s %10.3f %12d\n' ImageMagick "$t_magick" "$m_magick"
echo
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
echo "tapestra / djpeg        $(ratio "$t_tap" "$t_djpeg")   (target <= 1.30)"
echo "ImageMagick / tapestra  $(ratio "$t_magick" "$t_tap")   (target >= 10)"
printf 'tapestra peak memory    %6d MB (target < 160)\n' "$m_tap"
