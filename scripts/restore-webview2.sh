#!/usr/bin/env bash
# Restores the WebView2 SDK that platform/win32/webview2/webview2-sdk.csproj
# pins into <build-folder>/webview2-sdk and prints the path of its
# build/native folder (headers in include/, the loader in x64/). Everything
# else the restore says goes to standard error.
#
#   scripts/restore-webview2.sh [build-folder]     (default: build-win)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-win}
project=$root/platform/win32/webview2/webview2-sdk.csproj

if ! command -v dotnet >/dev/null; then
  echo "restore-webview2: dotnet is not installed; it restores the WebView2 SDK" >&2
  exit 1
fi
version=$(sed -n 's/.*Include="Microsoft.Web.WebView2" Version="\[\([0-9.]*\)\]".*/\1/p' "$project")
if [[ -z "$version" ]]; then
  echo "restore-webview2: no Microsoft.Web.WebView2 version in $project" >&2
  exit 1
fi

mkdir -p "$build"
out=$(cd "$build" && pwd)/webview2-sdk
native=$out/packages/microsoft.web.webview2/$version/build/native
if [[ ! -f "$native/include/WebView2.h" ]]; then
  # The restore's own files go to the build folder too, not beside the project.
  DOTNET_CLI_TELEMETRY_OPTOUT=1 DOTNET_NOLOGO=1 \
    dotnet restore "$project" --packages "$out/packages" \
      -p:BaseIntermediateOutputPath="$out/obj/" >&2
fi
if [[ ! -f "$native/include/WebView2.h" || ! -f "$native/x64/WebView2Loader.dll" ]]; then
  echo "restore-webview2: the restore left no $native/include/WebView2.h" >&2
  exit 1
fi
echo "$native"
