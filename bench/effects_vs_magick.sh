#!/usr/bin/env bash
# Whole commands on one 8.7-megapixel picture, BMP in and BMP out: `pelmora-cli effect` against
# ImageMagick's nearest operation, timed with hyperfine. Needs hyperfine and ImageMagick (installed
# when missing). Set PELMORA_CLI to use a built tool instead of building build/bench; extra
# arguments go to hyperfine (e.g. --runs 3). A markdown table is written to
# $OUT_DIR/effects_vs_magick.md (OUT_DIR defaults to a temporary folder, kept).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps hyperfine imagemagick
# shellcheck source=bench/bench_cli.sh
source bench/bench_cli.sh
# The ImageMagick binary itself, not a wrapper that may stand in front of it.
MAGICK=${MAGICK:-$(command -v convert-im6.q16 || command -v magick || command -v convert)}
OUT_DIR=${OUT_DIR:-$(mktemp -d)}
mkdir -p "$OUT_DIR"
PIC=$OUT_DIR/photo.bmp
if [ ! -f "$PIC" ]; then
  # A photo-like picture: fractal plasma, softened, 3608 x 2412, 24-bit BMP.
  "$MAGICK" -seed 7 -size 3608x2412 plasma:fractal -blur 0x1.5 -type TrueColor "BMP3:$PIC"
fi
echo "picture: $PIC ($(stat -c %s "$PIC") bytes); pelmora-cli: $PELMORA_CLI; ImageMagick: $MAGICK"
grep -m1 'model name' /proc/cpuinfo || true

# name | pelmora-cli effect arguments | ImageMagick operation
PAIRS=(
  "sharpen|SharpenFivePoint strength=5|-sharpen 0x1"
  "blur|DiagonalAverageBlur distance=3|-blur 0x3"
  "emboss|DiagonalEmboss|-emboss 0x1"
  "wave|WaveShift amplitude=20 interference=5 style=0|-wave 20x200"
  "spread|ScatterPixels amount=7|-spread 7"
  "mosaic|BlockMosaic block=36|-scale 1% -scale 3608x2412!"
  "drops|DropDisplace turbulence=210 scale=10|-wave 10x63"
  "negate|InvertChannels|-negate"
  "grey|WeightedGrey|-colorspace Gray"
  "brightness|BrightnessScale amount=50|-brightness-contrast 20x0"
  "contrast|ContrastStretch amount=90|-brightness-contrast 0x30"
  "balance|BalanceShift red=20 green=-10 blue=5|-channel R -evaluate add 8% +channel"
  "posterize|QuantizeLevels level=64|-posterize 4"
  "tint|TintByIntensity red=200 green=191 blue=119|-fill '#C8BF77' -tint 100"
  "noise|ChannelNoise range=50|-attenuate 0.4 +noise Uniform"
)
TABLE=$OUT_DIR/effects_vs_magick.md
: >"$TABLE"
for P in "${PAIRS[@]}"; do
  IFS='|' read -r NAME OURS THEIRS <<<"$P"
  ROUTINE=${OURS%% *}
  KEYS=${OURS#"$ROUTINE"}
  hyperfine --warmup 1 --runs "${RUNS:-5}" --style basic "$@" \
    --export-markdown "$OUT_DIR/$NAME.md" \
    -n "pelmora $NAME" "$PELMORA_CLI effect $ROUTINE $PIC $OUT_DIR/ours.bmp$KEYS" \
    -n "magick $NAME" "$MAGICK $PIC $THEIRS $OUT_DIR/theirs.bmp"
  tail -n +3 "$OUT_DIR/$NAME.md" >>"$TABLE"
done
echo "| read and write only: | | | | |" >>"$TABLE"
hyperfine --warmup 1 --runs "${RUNS:-5}" --style basic "$@" --export-markdown "$OUT_DIR/cp.md" \
  -n "pelmora copy (no routine)" "$PELMORA_CLI render $PIC $OUT_DIR/ours.bmp" \
  -n "magick copy" "$MAGICK $PIC $OUT_DIR/theirs.bmp"
tail -n +3 "$OUT_DIR/cp.md" >>"$TABLE"
rm -f "$OUT_DIR/ours.bmp" "$OUT_DIR/theirs.bmp"
echo
echo "| Command | Mean [ms] | Min [ms] | Max [ms] | Relative |"
echo "|:---|---:|---:|---:|---:|"
cat "$TABLE"
