#!/bin/sh
# Decode speed of the game's JPEG decoder (build/decode-jpeg --repeat) beside
# libjpeg-turbo's djpeg (integer IDCT, no smoothing) on the same 800x600 4:2:0
# picture, in one run. Needs `make build`, python3, cjpeg and djpeg.
set -eu
cd "$(dirname "$0")/.."
N=${N:-20}
dir=${BENCH_DIR:-build/bench}
mkdir -p "$dir"
jpg="$dir/bench-800x600-420.jpg"

# A photo-like picture: gradients, discs and noise, fixed seed.
python3 - "$dir/bench.ppm" <<'PY'
import random, sys, math
random.seed(1)
w, h = 800, 600
discs = [(random.randrange(w), random.randrange(h), random.randrange(20, 160),
          [random.randrange(256) for _ in range(3)]) for _ in range(40)]
out = bytearray()
for y in range(h):
    for x in range(w):
        r, g, b = x * 255 // w, y * 255 // h, (x + y) * 255 // (w + h)
        for cx, cy, rad, col in discs:
            if (x - cx) ** 2 + (y - cy) ** 2 < rad * rad:
                r, g, b = col
        n = random.randrange(-12, 13)
        out += bytes(max(0, min(255, v + n)) for v in (r, g, b))
with open(sys.argv[1], "wb") as f:
    f.write(b"P6\n%d %d\n255\n" % (w, h) + out)
PY
cjpeg -sample 2x2 -quality 85 "$dir/bench.ppm" > "$jpg"
ls -l "$jpg"

echo "decode-jpeg, $N decodes in one process:"
build/decode-jpeg --repeat "$N" "$jpg" "$dir/decode-jpeg.ppm"

echo "djpeg -dct int -nosmooth, $N processes:"
start=$(date +%s%N)
i=0
while [ $i -lt "$N" ]; do
  djpeg -dct int -nosmooth -outfile "$dir/djpeg.ppm" "$jpg"
  i=$((i + 1))
done
end=$(date +%s%N)
awk -v ns=$((end - start)) -v n="$N" 'BEGIN { ms = ns / 1e6 / n; printf "djpeg: %.3f ms per decode (process start included), %.2f megapixels/s\n", ms, 0.48 / (ms / 1000) }'

# djpeg's figure is mostly process start; tjbench (same package) decodes in one
# process with the integer IDCT and plain (non-fancy) upsampling.
if command -v tjbench >/dev/null 2>&1; then
  echo "tjbench, in process:"
  tjbench "$jpg" -benchtime 3 -fastupsample -nowrite 2>&1 | grep -E "Frame rate|Throughput"
fi
