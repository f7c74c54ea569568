#!/usr/bin/env bash
# Builds the Windows installer with msitools:
#
#   build-msi.sh OUTPUT.msi PRODUCT_NAME DOWNGRADE_TEXT varnock.wxs [wixl -D options]
#
# wixl 0.101 crashes on any Han character in a name, so the package is built
# with ASCII tokens, and the Chinese texts are then written into its tables
# with msibuild, once the database's code page is 936 (GBK), which holds them:
# the ProductName property, the shortcut's name and the downgrade message.
set -euo pipefail

output=$1 name=$2 downgrade=$3 source=$4
shift 4

work=$(mktemp -d "${TMPDIR:-/tmp}/varnock-msi.XXXXXX")
trap 'rm -rf "$work"' EXIT
package=$work/package.msi

# wixl 0.101 finds no file by an absolute path: the source and every file
# a definition names are linked into the work folder and named from there.
ln -s "$(realpath "$source")" "$work/package.wxs"
defines=()
for arg in "$@"; do
  if [[ $arg == *=/* ]]; then
    file=${arg#*=}
    ln -s "$file" "$work/$(basename "$file")"
    arg="${arg%%=*}=$(basename "$file")"
  fi
  defines+=("$arg")
done
# wixl reports parts of its own it has not implemented on every run; shown
# only when it fails.
if ! (cd "$work" && wixl -a x64 -o package.msi "${defines[@]}" package.wxs) > "$work/wixl.log" 2>&1; then
  cat "$work/wixl.log" >&2
  exit 1
fi

# msiinfo ends lines in CR LF; msibuild reads either.
export_table() { msiinfo export "$package" "$1" | tr -d '\r' > "$work/$1.idt"; }
export_table Property
export_table Shortcut
export_table LaunchCondition

awk -F '\t' -v OFS='\t' -v name="$name" 'NR > 3 && $1 == "ProductName" { $2 = name } { print }' \
  "$work/Property.idt" > "$work/Property.new"
# A file name column: an 8.3 name for old tools, then the long one.
awk -F '\t' -v OFS='\t' -v name="VARNOC~1|$name" 'NR > 3 && $3 == "PRODUCT_NAME" { $3 = name } { print }' \
  "$work/Shortcut.idt" > "$work/Shortcut.new"
awk -F '\t' -v OFS='\t' -v text="$downgrade" 'NR > 3 && $2 == "DOWNGRADE" { $2 = text } { print }' \
  "$work/LaunchCondition.idt" > "$work/LaunchCondition.new"
for table in Property Shortcut LaunchCondition; do
  if cmp -s "$work/$table.idt" "$work/$table.new"; then
    echo "build-msi.sh: nothing to write into the $table table: has varnock.wxs changed?" >&2
    exit 1
  fi
  mv "$work/$table.new" "$work/$table.idt"
done

printf '\n\n936\t_ForceCodepage\n' > "$work/_ForceCodepage.idt"
(cd "$work" && msibuild package.msi -i _ForceCodepage.idt -i Property.idt -i Shortcut.idt -i LaunchCondition.idt)
mv "$package" "$output"
