#!/usr/bin/env bash
# Times "faxtool convert" against libtiff's "tiffcp -c g3:1d" on the same 100 pages of
# 1728 x 2156 pixels (a text page, an all-white page, a dithered grey ramp): PBM in for faxtool,
# the same pages as an uncompressed TIFF for tiffcp, one output file each. Best of 3 runs.
set -euo pipefail

BUILD=${BUILD:-build}
faxtool="$BUILD/tools/faxtool"
if [ ! -x "$faxtool" ]; then
  echo "convert-vs-libtiff: $faxtool is not built" >&2
  exit 1
fi
for tool in tiffcp pnmtotiff pbmmake pbmtext pamenlarge pnmpad pgmramp pamditherbw pamtopnm; do
  command -v "$tool" >/dev/null || { echo "convert-vs-libtiff: $tool is missing (scripts/install-deps)" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
pages=100

line="The quick brown fox jumps over the lazy dog; fax pages are 1728 pixels wide, 2156 lines long."
yes "$line" | head -70 | pbmtext -builtin fixed 2>/dev/null | pamenlarge 2 |
  pnmpad -white -width 1728 -height 2156 > "$work/text.pbm"
pbmmake -white 1728 2156 > "$work/white.pbm"
pgmramp -diag 1728 2156 | pamditherbw -dither8 2>/dev/null | pamtopnm > "$work/dithered.pbm"

# Seconds (with fractions) of the fastest of three runs of a command.
best_of_3() {
  local best=""
  for _ in 1 2 3; do
    local start end
    start=$(date +%s%N)
    "$@" >/dev/null
    end=$(date +%s%N)
    local took=$((end - start))
    if [ -z "$best" ] || [ "$took" -lt "$best" ]; then best=$took; fi
  done
  awk -v ns="$best" 'BEGIN { printf "%.3f", ns / 1e9 }'
}

printf "%-9s %12s %12s %8s\n" "page" "faxtool p/s" "tiffcp p/s" "ratio"
for kind in text white dithered; do
  single="$work/$kind.pbm"
  for _ in $(seq $pages); do cat "$single"; done > "$work/$kind-all.pbm"
  pnmtotiff -none "$single" > "$work/$kind.tif"
  inputs=()
  for _ in $(seq $pages); do inputs+=("$work/$kind.tif"); done
  tiffcp -c none "${inputs[@]}" "$work/$kind-all.tif"

  ours=$(best_of_3 "$faxtool" convert --fine --margin 0 "$work/$kind-all.pbm" -o "$work/out.apf")
  theirs=$(best_of_3 tiffcp -c g3:1d "$work/$kind-all.tif" "$work/out.tif")
  awk -v k="$kind" -v n="$pages" -v a="$ours" -v b="$theirs" \
    'BEGIN { printf "%-9s %12.0f %12.0f %7.1fx\n", k, n / a, n / b, b / a }'
done
