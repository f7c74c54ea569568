#!/usr/bin/env bash
# Builds assets/varnock.ico, the program's icon for the Windows resource, from
# the 16 and 32 px renderings of assets/varnock.svg (scripts/make-icons.sh
# makes them and then calls this): 16x16 and 32x32, each at 4, 8 and 32 bits
# per pixel (16 colours, 256 colours, and true colour with alpha), then reads
# the ICO directory back and refuses a file whose images are not exactly those.
# The .ico is kept in the repository so that the Windows build needs no
# ImageMagick.
#
#   make-windows-icon.sh [output.ico] [folder holding icon-16.png and icon-32.png]
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/assets/varnock.ico}
assets=${2:-$root/assets}
# /usr/local/bin/convert may be a stand-in; ImageMagick's own is in /usr/bin.
convert=/usr/bin/convert

# ImageMagick writes a palette image with at most 16 colours at 4 bits and
# one with at most 256 at 8; an image left in true colour goes at 32 bits.
# Palette images carry transparency only as the 1-bit mask: alpha is made
# all or nothing first, or quantising merges the clear corners into the fill.
palette=(-channel A -threshold 50% +channel +dither -colors)
"$convert" \
  \( "$assets/icon-16.png" "${palette[@]}" 16 \) \
  \( "$assets/icon-16.png" "${palette[@]}" 256 \) \
  \( "$assets/icon-16.png" \) \
  \( "$assets/icon-32.png" "${palette[@]}" 16 \) \
  \( "$assets/icon-32.png" "${palette[@]}" 256 \) \
  \( "$assets/icon-32.png" \) \
  "$out"

# ICONDIR: reserved, type 1, count; then 16-byte entries: width, height,
# colour count, reserved, planes, bit count, size, offset.
read -r reserved type count < <(od -An -tu2 -N6 "$out")
[[ $reserved -eq 0 && $type -eq 1 && $count -eq 6 ]] || {
  echo "make-icon: $out is not an icon of six images" >&2; exit 1; }
found=()
for ((i = 0; i < count; i++)); do
  read -r width height < <(od -An -tu1 -j$((6 + 16 * i)) -N2 "$out")
  read -r bits < <(od -An -tu2 -j$((6 + 16 * i + 6)) -N2 "$out")
  found+=("${width}x${height}@${bits}")
done
expected="16x16@4 16x16@8 16x16@32 32x32@4 32x32@8 32x32@32"
[[ "${found[*]}" == "$expected" ]] || {
  echo "make-icon: images are ${found[*]}, expected $expected" >&2; exit 1; }
echo "make-icon: wrote $out (${found[*]})"
