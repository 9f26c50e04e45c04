#!/usr/bin/env bash
# Writes seed pictures for the whole-image fuzzer: small JPEG files of every kind the reference
# encoder makes (sampling, progressive, restart intervals, grey, RGB-coded), each followed by the
# one byte that tells the fuzzer how to read it.
set -euo pipefail
out=${1:-fuzz/corpus-images}
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A 23x19 colour picture with edges and gradients, as binary PPM.
python3 - "$work/source.ppm" <<'PY'
import sys
w, h = 23, 19
pixels = bytearray()
for y in range(h):
    for x in range(w):
        pixels += bytes(((x * 11 + y * 3) % 256, (y * 13) % 256, 255 if (x // 4 + y // 3) % 2 else 20))
open(sys.argv[1], "wb").write(b"P6\n%d %d\n255\n" % (w, h) + pixels)
PY

n=0
for args in "-quality 75" "-sample 1x1" "-sample 2x1" "-sample 1x2" "-progressive" \
            "-progressive -sample 1x1" "-restart 1B" "-progressive -restart 1B" "-grayscale" \
            "-grayscale -progressive" "-rgb" "-optimize"; do
  cjpeg $args -outfile "$work/seed.jpg" "$work/source.ppm"
  for choice in 00 91 26 4b; do
    n=$((n + 1))
    { cat "$work/seed.jpg"; printf "\\x$choice"; } > "$out/seed_$n.jpg"
  done
done
echo "wrote $n seeds to $out"
