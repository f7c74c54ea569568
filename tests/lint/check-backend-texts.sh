#!/bin/sh
# The backends hold no user text and no product name: every text the client
# shows lives in platform/texts.h or in the program's windows, one table a
# translator can work from. Lists what breaks the rule and fails if anything does.
set -eu
root=${1:?source root}
found=$(grep -rnP '[\x{3000}-\x{9fff}\x{ff00}-\x{ffef}]|Varnock' \
          "$root/platform/gtk" "$root/platform/win32" "$root/platform/posix" || true)
if [ -n "$found" ]; then
  echo "user text or product names in a backend:"
  echo "$found"
  exit 1
fi
echo "no user text in the backends"
