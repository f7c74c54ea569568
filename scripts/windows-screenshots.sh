#!/usr/bin/env bash
# Screenshots of the Windows client's windows under Wine, drawn on a virtual
# display with openbox: the login window, the main window and the About box,
# as the Windows test program's flow reaches them (with its browser double:
# the page's place stays empty). Saved as PNG in docs/windows-screenshots/,
# from the run in the users' locale (zh_CN.UTF-8), in which Wine sets up
# its Chinese fonts.
#
#   scripts/windows-screenshots.sh [build-folder]     (default: build-win)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-win}
out=$root/docs/windows-screenshots
source "$root/scripts/virtual-desktop.sh"
start_scratch varnock-shots

"$root/scripts/install-deps.sh" headless windows
start_virtual_desktop 150 199 "$work"

mkdir -p "$work/shots" "$out"
# Each window the test announces (<name>.rect: x y width height) is taken
# from the screen with the window manager's frame around it.
(
  shopt -s nullglob
  while sleep 0.1; do
    for rect in "$work"/shots/*.rect; do
      read -r x y w h < "$rect"
      name=$(basename "$rect" .rect)
      top=28 side=4
      DISPLAY=$display import -window root \
        -crop "$((w + 2 * side))x$((h + top + side))+$((x > side ? x - side : 0))+$((y > top ? y - top : 0))" \
        +repage "$work/shots/$name.png"
      mv "$rect" "$rect.taken"
    done
  done
) &
pids+=($!)
VARNOCK_WINE_DISPLAY=$display VARNOCK_TEST_SCREENSHOTS="Z:${work//\//\\}\\shots" \
  "$root/tests/windows/run-under-wine.sh" "$build" program_flow
for name in login main about exit; do
  [[ -f "$work/shots/$name.png" ]] || { echo "windows-screenshots: no $name window was taken" >&2; exit 1; }
  cp "$work/shots/$name.png" "$out/$name.png"
  echo "windows-screenshots: $out/$name.png"
done
