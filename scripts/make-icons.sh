#!/usr/bin/env bash
# Renders the program's icons from their one drawing, assets/varnock.svg:
# icon-<size>.png at 16, 32, 48, 64, 128 and 256 px (the hicolor theme's
# sizes; 16 and 32 are also compiled into the program) and varnock.ico for
# the Windows resource (scripts/make-windows-icon.sh).
#
#   scripts/make-icons.sh [output-folder]     (default: assets/)
#
# The results are kept in the repository, so that building the client needs
# neither librsvg nor ImageMagick; run this again after changing the drawing.
# The install check renders into a scratch folder and compares.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/assets}
mkdir -p "$out"
for tool in rsvg-convert /usr/bin/convert; do
  command -v "$tool" > /dev/null || {
    echo "make-icons: $tool is missing (packages librsvg2-bin and imagemagick)" >&2; exit 1; }
done

for size in 16 32 48 64 128 256; do
  # Written without the creation and modification times PNG writers add, so
  # that the same drawing gives the same bytes.
  rsvg-convert --width "$size" --height "$size" "$root/assets/varnock.svg" |
    /usr/bin/convert png:- -define png:exclude-chunks=date,time -strip "PNG32:$out/icon-$size.png"
done
"$root/scripts/make-windows-icon.sh" "$out/varnock.ico" "$out"
