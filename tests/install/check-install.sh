#!/usr/bin/env bash
# Installs the client into a scratch prefix and checks what lands there: the
# program, the desktop entry and the AppStream metadata stamped with the
# version resource text, and the icons in the hicolor theme.
set -euo pipefail
build_dir=$1
expected_version=$2
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build_dir" --prefix "$prefix" > /dev/null

fail=0
check() {
  if "$@"; then echo "ok: ${*: -1}"; else echo "FAILED: $*"; fail=1; fi
}
desktop=$prefix/share/applications/com.varnock.Client.desktop
metainfo=$prefix/share/metainfo/com.varnock.Client.metainfo.xml
check test -x "$prefix/bin/varnock"
check test -f "$desktop"
check grep -qx "X-Varnock-Version=$expected_version" "$desktop"
check grep -qx "Exec=varnock" "$desktop"
check grep -qx "Icon=varnock" "$desktop"
check grep -q "<release version=\"$expected_version\"/>" "$metainfo"
check grep -q "<binary>varnock</binary>" "$metainfo"
for size in 16 32; do
  icon=$prefix/share/icons/hicolor/${size}x${size}/apps/varnock.png
  check test -f "$icon"
  # The PNG header holds the width and height as 32-bit big-endian numbers.
  dims=$(od -An -tu1 -j16 -N8 "$icon" | tr -s ' ' | sed 's/^ //')
  check test "$dims" = "0 0 0 $size 0 0 0 $size"
done
if command -v desktop-file-validate > /dev/null; then
  check desktop-file-validate "$desktop"
fi
exit $fail
