#!/usr/bin/env bash
# Makes the pictures that the reference tests decode: one four-colour picture
# in every format at hand, a truncated JPEG, a PNG that claims 100000 × 100000
# pixels and a text file named like a JPEG. Usage: make_reference_pictures.sh FOLDER
set -euo pipefail
out=$1
mkdir -p "$out"
im=/usr/bin/convert
[ -x "$im" ] || im=convert
# Red, green / blue, white quadrants of 32 × 24 each.
"$im" \( -size 32x24 xc:'#ff0000' xc:'#00ff00' +append \) \
      \( -size 32x24 xc:'#0000ff' xc:'#ffffff' +append \) -append +repage "$out/quad.png"
for format in jpg bmp gif tif webp; do
  "$im" "$out/quad.png" -quality 95 "$out/quad.$format"
done
# A photo-like JPEG cut in the middle of its image data.
"$im" -size 256x256 -seed 7 plasma:fractal -quality 90 "$out/whole.jpg"
head -c "$(( $(stat -c %s "$out/whole.jpg") / 2 ))" "$out/whole.jpg" >"$out/truncated.jpg"
rm "$out/whole.jpg"
# A PNG header that claims 100000 × 100000 grey pixels, then a tiny IDAT.
/usr/bin/python3 - "$out/huge.png" <<'PY'
import struct, sys, zlib
def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
header = struct.pack(">IIBBBBB", 100000, 100000, 8, 0, 0, 0, 0)
with open(sys.argv[1], "wb") as f:
    f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(b"\0" * 1000)) + chunk(b"IEND", b""))
PY
echo "This is a letter, not a picture." >"$out/letter.jpg"
