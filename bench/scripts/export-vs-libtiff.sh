#!/usr/bin/env bash
# Times `faxtool export` (APF pages to uncompressed TIFF) against `tiffcp -c none` (G3 TIFF to
# uncompressed TIFF) on the same 100 fine text pages coded by libtiff, and prints the ratio.
# Needs netpbm, libtiff-tools and python3.
set -euo pipefail
cd "$(dirname "$0")/../.."
BUILD=${BUILD:-build}
FAXTOOL=$BUILD/tools/faxtool
PAGES=${PAGES:-100}
ROUNDS=${ROUNDS:-5}
for tool in "$FAXTOOL" tiffcp pbmtext pamenlarge pnmpad pnmtotiff python3; do
    command -v "$tool" >/dev/null || { echo "export-vs-libtiff: $tool is missing" >&2; exit 1; }
done
# WORK=folder keeps the pages there (for profiling); otherwise a temporary folder is used.
if [ -n "${WORK:-}" ]; then
    work=$WORK && mkdir -p "$work"
else
    work=$(mktemp -d) && trap 'rm -rf "$work"' EXIT
fi

# 100 pages of 1728 x 2200 text, each different.
for i in $(seq 1 "$PAGES"); do
    for l in $(seq 1 64); do
        echo "Page $i line $l: the quick brown fox jumps over the lazy dog $((i * l)) times, 0123456789."
    done | pbmtext -builtin fixed 2>/dev/null | pamenlarge 2 |
        pnmpad -width=1728 -height=2200 -halign=0.3 -valign=0.2 | pnmtotiff -none >"$work/p$i.tif" 2>/dev/null
done
pages=()
for i in $(seq 1 "$PAGES"); do pages+=("$work/p$i.tif"); done
tiffcp -c g3:1d -r 100000 "${pages[@]}" "$work/g3.tif"

# The same coded pages as plain-stream APF pages (least significant bit first, with RTC).
python3 - "$work/g3.tif" "$work/g3.apf" <<'PY'
import struct, sys
data = open(sys.argv[1], 'rb').read()
assert data[:4] == b'II*\0'
rev = bytes(int(f'{b:08b}'[::-1], 2) for b in range(256))
rtc = bytes([0x00, 0x08, 0x80, 0x00, 0x08, 0x80, 0x00, 0x08, 0x80])
pages = []
ifd = struct.unpack_from('<I', data, 4)[0]
while ifd:
    n = struct.unpack_from('<H', data, ifd)[0]
    tags = {}
    for k in range(n):
        tag, typ, count = struct.unpack_from('<HHI', data, ifd + 2 + 12 * k)
        if typ not in (3, 4):
            continue
        size = 2 if typ == 3 else 4
        at = ifd + 2 + 12 * k + 8
        if count * size > 4:
            at = struct.unpack_from('<I', data, at)[0]
        tags[tag] = list(struct.unpack_from('<%d%s' % (count, 'H' if size == 2 else 'I'), data, at))
    offsets, counts = tags[273], tags[279]
    strip = b''.join(data[o:o + c] for o, c in zip(offsets, counts))
    if tags.get(266, [1])[0] == 1:
        strip = strip.translate(rev)
    pages.append(strip + rtc)
    ifd = struct.unpack_from('<I', data, ifd + 2 + 12 * n)[0]
out = bytearray(b'APF10\x1a' + bytes(26) + struct.pack('<HI', len(pages), 64) + bytes(26))
for p in pages:
    out += struct.pack('<IH', len(p), 1) + bytes(10) + p
open(sys.argv[2], 'wb').write(out)
PY

# Best wall-clock and best CPU (user + system) time of ROUNDS runs, in microseconds.
best() {
    local wall=999999999 cpu=999999999 r u sy
    for _ in $(seq 1 "$ROUNDS"); do
        rm -rf "$work/out" && mkdir "$work/out"
        read -r r u sy < <({ TIMEFORMAT='%R %U %S'; time "$@" >/dev/null 2>&1; } 2>&1)
        r=$(awk -v v="$r" 'BEGIN { printf "%d", v * 1e6 }')
        u=$(awk -v a="$u" -v b="$sy" 'BEGIN { printf "%d", (a + b) * 1e6 }')
        ((r < wall)) && wall=$r
        ((u < cpu)) && cpu=$u
    done
    echo "$wall $cpu"
}
read -r ours oursCpu < <(best "$FAXTOOL" export "$work/g3.apf" -o "$work/out/p%03d.tif" --format tiff)
read -r theirs theirsCpu < <(best tiffcp -c none "$work/g3.tif" "$work/out/all.tif")

# Both give the same pixels.
"$FAXTOOL" export "$work/g3.apf" --page 1 -o "$work/one.tif" >/dev/null
tiffcp -c none "$work/g3.tif,0" "$work/ref.tif"
cmp <(tiffinfo -d "$work/one.tif" 2>/dev/null | sed -n '/^ *[0-9a-f][0-9a-f] /,$p') \
    <(tiffinfo -d "$work/ref.tif" 2>/dev/null | sed -n '/^ *[0-9a-f][0-9a-f] /,$p') ||
    { echo "export-vs-libtiff: page 1 differs from libtiff's" >&2; exit 1; }

awk -v o="$ours" -v t="$theirs" -v oc="$oursCpu" -v tc="$theirsCpu" -v n="$PAGES" 'BEGIN {
    printf "faxtool export: %d pages in %.1f ms wall, %.1f ms CPU (%.0f pages/s)\n", n, o / 1000, oc / 1000, n * 1e6 / o
    printf "tiffcp -c none: %d pages in %.1f ms wall, %.1f ms CPU (%.0f pages/s)\n", n, t / 1000, tc / 1000, n * 1e6 / t
    printf "ratio: faxtool export is %.2fx libtiff (wall), %.2fx (CPU)\n", t / o, tc / oc
}'
