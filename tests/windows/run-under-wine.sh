#!/usr/bin/env bash
# Cross-builds the Windows test program with mingw-w64 and runs it under Wine
# in a throwaway prefix, headless (Wine's null display driver), twice: with
# the code page of an English Windows (1252) and with that of a Chinese one
# (936). Passes when both runs do.
#
#   tests/windows/run-under-wine.sh [build-folder] [case-filter]
#
# The build folder (default build-win) holds the project configured with the
# mingw-w64 toolchain file, and is built incrementally.
# Exit status 77, with one line saying why, when Wine cannot start on this
# machine: CTest reports the test as skipped.
set -euo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build-win}
filter=${2:-}
skip=77

mkdir -p "$build"
build=$(cd "$build" && pwd)
# A folder last configured from another source folder starts afresh.
if [[ -f "$build/CMakeCache.txt" ]] &&
   ! grep -qxF "CMAKE_HOME_DIRECTORY:INTERNAL=$root" "$build/CMakeCache.txt"; then
  rm -rf "$build/CMakeCache.txt" "$build/CMakeFiles"
fi
if ! { cmake -S "$root" -B "$build" \
             -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" &&
       cmake --build "$build" -j"$(nproc)"; } >"$build/build.log" 2>&1; then
  cat "$build/build.log"
  echo "run-under-wine: the Windows build failed (mingw-w64 comes with scripts/install-deps.sh)" >&2
  exit 1
fi
program=$build/varnock_windows_tests.exe

# Debian's wine picks the 64-bit loader itself; other installations may name it wine64.
wine=$(command -v wine || command -v wine64 || true)
wineserver=$(command -v wineserver || true)
[[ -z "$wineserver" && -x /usr/lib/wine/wineserver64 ]] && wineserver=/usr/lib/wine/wineserver64
if [[ -z "$wine" || -z "$wineserver" ]]; then
  echo "SKIPPED: Wine is not installed (scripts/install-deps.sh installs it)"
  exit $skip
fi

scratch=$(mktemp -d "${TMPDIR:-/tmp}/varnock-wine.XXXXXX")
export WINEPREFIX=$scratch/prefix WINEARCH=win64 WINEDEBUG=-all LC_ALL=C.UTF-8
# No Mono or Gecko: their installers would ask for a download.
export WINEDLLOVERRIDES="mscoree,mshtml="
# VARNOCK_WINE_DISPLAY: an X display for Wine to draw on (screenshots);
# headless otherwise.
wine_display=${VARNOCK_WINE_DISPLAY:-}
unset DISPLAY WAYLAND_DISPLAY
cleanup() {
  "$wineserver" -k 2>/dev/null || true
  rm -rf "$scratch"
}
trap cleanup EXIT

log=$scratch/wine.log
started=$SECONDS
if ! timeout 300 "$wine" wineboot -i >"$log" 2>&1; then
  echo "SKIPPED: Wine cannot start on this machine (wineboot failed: $(tail -n 1 "$log"))"
  exit $skip
fi
# Windows without a display: the null driver keeps windows in the server,
# where the tests find and answer them. The desktop process wineboot
# started goes, so that the next one uses it.
if [[ -n "$wine_display" ]]; then
  export DISPLAY=$wine_display
else
  timeout 120 "$wine" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >>"$log" 2>&1
fi
"$wineserver" -k 2>/dev/null || true
status=0
timeout 120 "$wine" cmd /c exit 3 >>"$log" 2>&1 || status=$?
if [[ $status -ne 3 ]]; then
  echo "SKIPPED: Wine cannot run a program on this machine (status $status: $(tail -n 1 "$log"))"
  exit $skip
fi
echo "run-under-wine: $("$wine" --version 2>/dev/null), prefix ready in $((SECONDS - started)) s"

# Wine takes the ANSI code page from the locale's name and file names from
# its character set, so the Chinese locale must exist: compiled here, into
# the scratch folder, from the `locales` package's sources.
mkdir -p "$scratch/locale"
if ! localedef -i zh_CN -f UTF-8 "$scratch/locale/zh_CN.UTF-8" >>"$log" 2>&1; then
  cat "$log"
  echo "run-under-wine: cannot compile the zh_CN.UTF-8 locale (package locales)" >&2
  exit 1
fi

failed=0
for locale in C.UTF-8 zh_CN.UTF-8; do
  echo "run-under-wine: the test program in $locale"
  locpath=()
  [[ $locale == zh_CN.UTF-8 ]] && locpath=(LOCPATH="$scratch/locale")
  status=0
  (cd "$build" && env "${locpath[@]}" LC_ALL=$locale \
     timeout 600 "$wine" "$program" ${filter:+"$filter"}) || status=$?
  if [[ $status -ne 0 ]]; then
    echo "run-under-wine: the test program failed in $locale (exit status $status)"
    failed=1
  fi
  "$wineserver" -k 2>/dev/null || true
done
echo "run-under-wine: done in $((SECONDS - started)) s"
exit $failed
