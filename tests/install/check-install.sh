#!/usr/bin/env bash
# Installs the client into a scratch root (prefix /usr) and checks what lands
# there as a desktop and a software centre read it: the program; the desktop
# entry (valid, its id the program's application id, one main category,
# keywords in Chinese and English); the AppStream metadata stamped with the
# version resource text and the release date, valid, and accepted by
# `appstreamcli compose` with an icon; the icons in the hicolor theme at every
# size, all rendered from the one drawing; the manual page with the service
# address the program was built for.
#
#   check-install.sh BUILD-DIR VERSION-TEXT SERVICE-HOST
set -euo pipefail
build_dir=$1
expected_version=$2
service_host=$3
here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(cd "$here/../.." && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
root=$scratch/root
prefix=$root/usr

cmake --install "$build_dir" --prefix "$prefix" > /dev/null

fail=0
check() {
  if "$@"; then echo "ok: ${*: -1}"; else echo "FAILED: $*"; fail=1; fi
}
# The checks' own tools come with `make test` (scripts/install-deps.sh test).
for tool in desktop-file-validate appstreamcli rsvg-convert /usr/bin/compare man; do
  command -v "$tool" > /dev/null || { echo "FAILED: $tool is not installed"; exit 1; }
done

app_id=com.varnock.Client
desktop=$prefix/share/applications/$app_id.desktop
metainfo=$prefix/share/metainfo/$app_id.metainfo.xml
check test -x "$prefix/bin/varnock"

# Desktop entry.
check test -f "$desktop"
check desktop-file-validate "$desktop"
check grep -qx "X-Varnock-Version=$expected_version" "$desktop"
check grep -qx "Exec=varnock" "$desktop"
check grep -qx "Icon=varnock" "$desktop"
# The window's class and Wayland app_id are the entry's id: that is how a
# desktop ties the running window to its entry.
check grep -qx "StartupWMClass=$app_id" "$desktop"
check grep -qx "StartupNotify=true" "$desktop"
check grep -qE "^GenericName=.+" "$desktop"
# Exactly one of the desktop menu's main categories (freedesktop.org).
main_categories=" AudioVideo Audio Video Development Education Game Graphics Network Office Science Settings System Utility "
categories=$(sed -n 's/^Categories=//p' "$desktop" | tr ';' ' ')
mains=0
for category in $categories; do
  [[ "$main_categories" == *" $category "* ]] && mains=$((mains + 1))
done
echo "main categories: $mains ($categories)"
check test "$mains" -eq 1
keywords=$(sed -n 's/^Keywords=//p' "$desktop")
check grep -qP '\p{Han}' <<< "$keywords"
check grep -qiE '(^|;)(SMS|text message)(;|$)' <<< "$keywords"

# AppStream metadata.
check test -f "$metainfo"
check grep -qE "<release version=\"$expected_version\" date=\"[0-9]{4}-[0-9]{2}-[0-9]{2}\"/>" "$metainfo"
check grep -q "<binary>varnock</binary>" "$metainfo"
check grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo"
check appstreamcli validate --no-net "$metainfo"

# Icons: a PNG at each size of the hicolor theme a software centre or a
# desktop may ask for, and the drawing itself.
svg=$prefix/share/icons/hicolor/scalable/apps/varnock.svg
check test -f "$svg"
for size in 16 32 48 64 128 256; do
  icon=$prefix/share/icons/hicolor/${size}x${size}/apps/varnock.png
  check test -f "$icon"
  [[ -f "$icon" ]] || continue
  # The PNG header holds the width and height as 32-bit big-endian numbers.
  dims=$(od -An -tu4 --endian=big -j16 -N8 "$icon" | tr -s ' ' | sed 's/^ //')
  check test "$dims" = "$size $size"
  # Rendered from the drawing: no pixel differs from a fresh rendering.
  rsvg-convert --width "$size" --height "$size" "$svg" -o "$scratch/render-$size.png" || true
  differing=$(/usr/bin/compare -metric AE -fuzz 1% "$icon" "$scratch/render-$size.png" null: 2>&1 || true)
  echo "pixels differing from the drawing at $size px: $differing"
  check test "$differing" = "0"
done
# The Windows icon holds the same 16 and 32 px images (its true-colour ones).
for frame in "2 16" "5 32"; do
  read -r index size <<< "$frame"
  differing=$(/usr/bin/compare -metric AE -fuzz 1% "$source_dir/assets/varnock.ico[$index]" \
              "$prefix/share/icons/hicolor/${size}x${size}/apps/varnock.png" null: 2>&1 || true)
  echo "pixels differing between varnock.ico and the $size px icon: $differing"
  check test "$differing" = "0"
done

# A software centre's catalogue: compose accepts the component, with an icon.
compose=$scratch/compose
appstreamcli compose --no-net --origin=varnock --result-root="$compose" \
  --hints-dir="$compose/hints" "$root" > "$scratch/compose.log" 2>&1 || true
catalog=$(find "$compose" -name 'varnock.xml.gz' 2> /dev/null | head -n 1)
if [[ -n "$catalog" ]]; then zcat "$catalog" > "$scratch/catalog.xml"; else : > "$scratch/catalog.xml"; fi
check grep -q "<id>$app_id</id>" "$scratch/catalog.xml"
check grep -qE "<icon type=\"cached\"[^>]*>" "$scratch/catalog.xml"
check test -n "$(find "$compose" -path '*/icons/*/64x64/*' -name '*.png')"
check test -n "$(find "$compose" -path '*/icons/*/128x128/*' -name '*.png')"
if grep -q "<id>$app_id</id>" "$scratch/catalog.xml"; then :; else cat "$scratch/compose.log"; fi

# Manual page: renders without warnings, gives the service address.
manual=$prefix/share/man/man1/varnock.1.gz
check test -f "$manual"
check grep -qF "http://$service_host:8010/" <(zcat "$manual")
warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$manual" 2>&1 > /dev/null || true)
[[ -z "$warnings" ]] || echo "$warnings"
check test "$warnings" = ""
page=$(LC_ALL=C.UTF-8 MANWIDTH=200 man -l "$manual" 2> /dev/null)
check grep -q "takes no arguments" <<< "$page"
files_section=$(awk '/^FILES/ { inside = 1; next } /^[A-Z]/ { inside = 0 } inside' <<< "$page")
check grep -qE '^ +None\.' <<< "$files_section"
exit $fail
