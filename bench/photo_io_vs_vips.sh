#!/usr/bin/env bash
# Whole commands on one 8.7-megapixel JPEG photo (3608 x 2412, quality 90): reading it, and
# writing it again as JPEG at quality 100 (pelmora-cli render writes JPEG at 100), BMP and PNG,
# `pelmora-cli` against `vips copy`, timed with hyperfine in the same run, then the peak memory
# of each command measured with /usr/bin/time -v. Needs hyperfine, libvips-tools, ImageMagick
# (for the photo) and GNU time (installed when missing). Set PELMORA_CLI to use a built tool
# instead of building build/bench; extra arguments go to hyperfine (e.g. --runs 3). A markdown
# table is written to $OUT_DIR/photo_io_vs_vips.md (OUT_DIR defaults to a temporary folder, kept;
# use a tmpfs so that the disk does not count). Last, the peak memory of info, render and print
# of a valid 16384 x 16384 PNG at the size limit.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps hyperfine libvips-tools imagemagick time
# shellcheck source=bench/bench_cli.sh
source bench/bench_cli.sh
MAGICK=${MAGICK:-$(command -v convert-im6.q16 || command -v magick || command -v convert)}
VIPS=${VIPS:-$(command -v vips)}
OUT_DIR=${OUT_DIR:-$(mktemp -d)}
mkdir -p "$OUT_DIR"
PIC=$OUT_DIR/photo.jpg
if [ ! -f "$PIC" ]; then
  # A photo-like picture: fractal plasma, softened, with a fine grain as a sensor leaves it.
  "$MAGICK" -seed 7 -size 3608x2412 plasma:fractal -blur 0x1.5 -attenuate 0.4 +noise Gaussian \
    -quality 90 -sampling-factor 2x2 "$PIC"
fi
echo "picture: $PIC ($(stat -c %s "$PIC") bytes); pelmora-cli: $PELMORA_CLI; vips: $VIPS"
grep -m1 'model name' /proc/cpuinfo || true

# name | pelmora-cli command | vips command ("-" for none)
PAIRS=(
  "read|info $PIC|copy $PIC $OUT_DIR/theirs.v"
  "JPEG to JPEG Q100|render $PIC $OUT_DIR/ours.jpg|copy $PIC $OUT_DIR/theirs.jpg[Q=100]"
  "JPEG to BMP|render $PIC $OUT_DIR/ours.bmp|-"
  "JPEG to PNG|render $PIC $OUT_DIR/ours.png|copy $PIC $OUT_DIR/theirs.png"
)
TABLE=$OUT_DIR/photo_io_vs_vips.md
MEMORY=$OUT_DIR/photo_io_memory.md
: >"$TABLE"
echo "| Command | Peak memory [MB] |" >"$MEMORY"
echo "|:---|---:|" >>"$MEMORY"
peak() {
  /usr/bin/time -v "$@" 2>&1 >/dev/null | awk '/Maximum resident/ { printf "%.1f", $6 / 1024 }'
}
for P in "${PAIRS[@]}"; do
  IFS='|' read -r NAME OURS THEIRS <<<"$P"
  ARGS=(-n "pelmora $NAME" "$PELMORA_CLI $OURS")
  [ "$THEIRS" = "-" ] || ARGS+=(-n "vips $NAME" "$VIPS $THEIRS")
  hyperfine --warmup 1 --runs "${RUNS:-10}" --style basic "$@" \
    --export-markdown "$OUT_DIR/part.md" "${ARGS[@]}"
  tail -n +3 "$OUT_DIR/part.md" >>"$TABLE"
  # shellcheck disable=SC2086
  echo "| pelmora $NAME | $(peak $PELMORA_CLI $OURS) |" >>"$MEMORY"
  # shellcheck disable=SC2086
  [ "$THEIRS" = "-" ] || echo "| vips $NAME | $(peak $VIPS $THEIRS) |" >>"$MEMORY"
done
rm -f "$OUT_DIR/part.md" "$OUT_DIR"/ours.* "$OUT_DIR"/theirs.*
echo
echo "| Command | Mean [ms] | Min [ms] | Max [ms] | Relative |"
echo "|:---|---:|---:|---:|---:|"
cat "$TABLE"
echo
cat "$MEMORY"

# At the size limit: a valid 16384 x 16384 PNG of one colour (about 800 KB), read, rendered to
# JPEG and printed to PDF; the peak memory and time of each. The pixels alone take 1 GiB.
BIG=$OUT_DIR/limit.png
if [ ! -f "$BIG" ]; then
  python3 - "$BIG" <<'PY'
import struct, sys, zlib
W = H = 16384
def chunk(kind, data):
    return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))
z = zlib.compressobj(9)
row = b'\0' + bytes([200, 120, 40]) * W
body = b''.join(z.compress(row) for _ in range(H)) + z.flush()
with open(sys.argv[1], 'wb') as f:
    f.write(b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', W, H, 8, 2, 0, 0, 0))
            + chunk(b'IDAT', body) + chunk(b'IEND', b''))
PY
fi
echo
echo "| At the size limit (16384 x 16384 PNG) | Peak memory [MB] | Time [s] |"
echo "|:---|---:|---:|"
for CMD in "info $BIG" "render $BIG $OUT_DIR/limit.jpg" "print $BIG $OUT_DIR/limit.pdf"; do
  # shellcheck disable=SC2086
  /usr/bin/time -v "$PELMORA_CLI" $CMD 2>&1 >/dev/null |
    awk -v name="${CMD%% *}" '/Maximum resident/ { m = $6 / 1024 } /Elapsed/ { split($NF, t, ":"); s = t[1] * 60 + t[2] }
      END { printf "| %s | %.0f | %.1f |\n", name, m, s }'
done
rm -f "$OUT_DIR"/limit.jpg "$OUT_DIR"/limit.pdf
