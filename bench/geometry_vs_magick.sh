#!/usr/bin/env bash
# "Размер изображения" and "Произвольный угол" against ImageMagick on the same sizes: an
# 8.7-megapixel picture (3608 x 2412) resized to 50 % and 200 %, and a 6000 x 4000 picture
# rotated by 30 degrees. ImageMagick reads its memory-mapped cache form (.mpc) and writes to
# null:, so that its figures are the operation itself, as geometry_bench's are ours (in memory).
# Needs hyperfine and ImageMagick (installed when missing). Set PELMORA_BENCH_BUILD to a
# Release build folder (default build/rel, built here); extra arguments go to hyperfine.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps hyperfine imagemagick
BUILD=${PELMORA_BENCH_BUILD:-build/rel}
if [ ! -x "$BUILD/bin/geometry_bench" ]; then
  cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DPELMORA_BENCH=ON >/dev/null
  cmake --build "$BUILD" -j "$(nproc)" --target geometry_bench
fi
# The ImageMagick binary itself, not a wrapper that may stand in front of it.
MAGICK=${MAGICK:-$(command -v convert-im6.q16 || command -v magick || command -v convert)}
OUT_DIR=${OUT_DIR:-$(mktemp -d)}
mkdir -p "$OUT_DIR"
for SIZE in 3608x2412 6000x4000; do
  if [ ! -f "$OUT_DIR/$SIZE.mpc" ]; then
    # A photo-like picture: fractal plasma, softened.
    "$MAGICK" -seed 7 -size "$SIZE" plasma:fractal -blur 0x1.5 -type TrueColor "$OUT_DIR/$SIZE.mpc"
  fi
done
echo "ImageMagick: $MAGICK ($("$MAGICK" -version | head -1))"
grep -m1 'model name' /proc/cpuinfo || true

"$BUILD/bin/geometry_bench" --benchmark_repetitions="${REPS:-3}" \
  --benchmark_report_aggregates_only=true

hyperfine --warmup 1 --runs "${RUNS:-5}" --style basic "$@" \
  --export-markdown "$OUT_DIR/geometry_vs_magick.md" \
  -n "magick read only 3608x2412" "$MAGICK $OUT_DIR/3608x2412.mpc null:" \
  -n "magick -resize 50%" "$MAGICK $OUT_DIR/3608x2412.mpc -resize 50% null:" \
  -n "magick -resize 200%" "$MAGICK $OUT_DIR/3608x2412.mpc -resize 200% null:" \
  -n "magick read only 6000x4000" "$MAGICK $OUT_DIR/6000x4000.mpc null:" \
  -n "magick -rotate 30" "$MAGICK $OUT_DIR/6000x4000.mpc -rotate 30 null:"
echo
cat "$OUT_DIR/geometry_vs_magick.md"
