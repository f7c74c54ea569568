#!/usr/bin/env bash
# Builds the fuzz targets (the project configured with VARNOCK_FUZZ=ON and
# clang) and runs each for a bounded time on a copy of its corpus from the
# repository; new inputs found go to the build folder, a crash fails the run.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=${1:-$root/build-fuzz}
seconds=${FUZZ_SECONDS:-60}
mkdir -p "$build"
# A folder last configured from another source folder starts afresh.
if [[ -f "$build/CMakeCache.txt" ]] &&
   ! grep -qxF "CMAKE_HOME_DIRECTORY:INTERNAL=$root" "$build/CMakeCache.txt"; then
  rm -rf "$build/CMakeCache.txt" "$build/CMakeFiles"
fi
cmake -S "$root" -B "$build" -DVARNOCK_FUZZ=ON -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build "$build" -j"$(nproc)" > /dev/null
status=0
for target in registry_value_fuzz notice_replace_fuzz; do
  corpus=$build/corpus/$target
  mkdir -p "$corpus"
  cp -n "$here/corpus/${target%_fuzz}/"* "$corpus/" 2>/dev/null || true
  echo "== $target: ${seconds}s"
  if ! "$build/$target" -max_total_time="$seconds" -print_final_stats=1 \
       -artifact_prefix="$build/$target-" "$corpus" 2> "$build/$target.log"; then
    status=1
    tail -40 "$build/$target.log"
  fi
  grep -E "^stat::number_of_executed_units|^stat::new_units_added" "$build/$target.log" || true
done
exit $status
