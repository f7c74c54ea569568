#!/usr/bin/env bash
# Packs the client built in BUILD-DIR as a Debian package (CPack, the same
# way `make deb` does) into a scratch folder and checks the package: lintian
# finds no error and no warning; the control fields; the files it installs;
# Depends naming the package of every shared library the program is linked
# with; the program stripped and hardened; the manual page, the copyright
# in the machine-readable format and the changelog of this version.
#
#   check-package.sh BUILD-DIR PACKAGE-VERSION
#
# Exit status 77 (skipped) only when dpkg-deb or lintian cannot be had.
set -euo pipefail
build_dir=$(cd "$1" && pwd)
expected_version=$2
skip=77
for tool in dpkg-deb dpkg-shlibdeps lintian readelf file; do
  if ! command -v "$tool" > /dev/null; then
    echo "SKIPPED: $tool is not installed (scripts/install-deps.sh test installs it)"
    exit $skip
  fi
done
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

fail=0
check() {
  if "$@"; then echo "ok: ${*: -1}"; else echo "FAILED: $*"; fail=1; fi
}

arch=$(dpkg --print-architecture)
deb=$scratch/varnock_${expected_version}_$arch.deb
if ! cpack --config "$build_dir/CPackConfig.cmake" -G DEB -B "$scratch" > "$scratch/cpack.log" 2>&1; then
  cat "$scratch/cpack.log"
  echo "FAILED: cpack"
  exit 1
fi
check test -f "$deb"
[[ -f "$deb" ]] || { ls "$scratch"; exit 1; }

# lintian: nothing at error or warning level; the informational tags are
# shown (docs/packaging.md says why each one stays).
lintian_status=0
lintian --fail-on error,warning --display-info "$scratch"/*.deb > "$scratch/lintian.log" 2>&1 ||
  lintian_status=$?
sed 's/^/lintian: /' "$scratch/lintian.log"
check test "$lintian_status" -eq 0
check test -z "$(grep -E '^[EW]: ' "$scratch/lintian.log")"

# Control fields.
field() { dpkg-deb --field "$deb" "$1"; }
check test "$(field Package)" = varnock
check test "$(field Version)" = "$expected_version"
check test "$(field Architecture)" = "$arch"
depends=$(field Depends)
echo "Depends: $depends"
check test -n "$depends"

# Contents.
dpkg-deb --contents "$deb" | awk '{ print $NF }' | sed 's|^\./|/|' > "$scratch/contents"
for path in /usr/bin/varnock \
            /usr/share/applications/com.varnock.Client.desktop \
            /usr/share/metainfo/com.varnock.Client.metainfo.xml \
            /usr/share/icons/hicolor/scalable/apps/varnock.svg \
            /usr/share/icons/hicolor/{16x16,32x32,48x48,64x64,128x128,256x256}/apps/varnock.png \
            /usr/share/man/man1/varnock.1.gz \
            /usr/share/doc/varnock/copyright \
            /usr/share/doc/varnock/changelog.Debian.gz; do
  check grep -qx "$path" "$scratch/contents"
done
# The demo service is for trying the client out, not part of it.
check test -z "$(grep demo "$scratch/contents")"
dpkg-deb --extract "$deb" "$scratch/tree"
program=$scratch/tree/usr/bin/varnock

# Every shared library the program needs, as the dynamic loader finds it on
# this machine, belongs to a package that Depends names.
depends_names=" $(sed -E 's/\([^)]*\)//g; s/[,|]/ /g' <<< "$depends" | tr -s ' ') "
mapfile -t needed < <(readelf -d "$program" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')
check test "${#needed[@]}" -gt 0
loader_cache=$(ldconfig -p)
for library in "${needed[@]}"; do
  path=$(awk -v lib="$library" '$1 == lib && /x86-64/ { print $NF; exit }' <<< "$loader_cache")
  [[ -n "$path" ]] || path=$(awk -v lib="$library" '$1 == lib { print $NF; exit }' <<< "$loader_cache")
  owner=""
  for candidate in "$path" "$(readlink -f "$path")"; do
    [[ -n "$owner" || -z "$candidate" ]] ||
      owner=$(dpkg-query -S "$candidate" 2> /dev/null | sed -n '1s/:.*//p' || true)
  done
  echo "$library: $path from package ${owner:-(none found)}"
  check test -n "$owner"
  check test -n "$owner" -a -z "${depends_names##* $owner *}"
done

# Stripped: no symbol table and no debugging sections left in the program.
sections=$(readelf -S -W "$program")
check test -z "$(grep -E ' \.(symtab|debug_[a-z]+) ' <<< "$sections")"
check grep -q "stripped" <<< "$(file -b "$program" | grep -v 'not stripped')"
# Hardened: position independent, relocations read-only and bound at start,
# stack protector; fortified calls where the compiler could size the buffer.
dynamic=$(readelf -d -W "$program")
check grep -qE 'FLAGS_1.*PIE' <<< "$dynamic"
check grep -qE 'BIND_NOW|FLAGS_1.* NOW' <<< "$dynamic"
check grep -q 'GNU_RELRO' <<< "$(readelf -l -W "$program")"
check grep -q '__stack_chk_fail' <<< "$(readelf --dyn-syms -W "$program")"

# Manual page, copyright, changelog.
doc=$scratch/tree/usr/share/doc/varnock
check grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' \
  <(head -n 1 "$doc/copyright")
check grep -qE '^Files: \*$' "$doc/copyright"
check grep -qE '^License: ' "$doc/copyright"
check grep -qE "^varnock \\($expected_version\\) " <(zcat "$doc/changelog.Debian.gz" | head -n 1)
check grep -q "^\.TH VARNOCK 1 " <(zcat "$scratch/tree/usr/share/man/man1/varnock.1.gz")

# Nothing starts by itself: no maintainer scripts, no services.
dpkg-deb --control "$deb" "$scratch/control"
check test -z "$(ls "$scratch/control" | grep -E '^(preinst|postinst|prerm|postrm)$')"
check test -z "$(grep -E '/(systemd|init\.d|xdg/autostart)/' "$scratch/contents")"
exit $fail
