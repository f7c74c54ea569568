#!/usr/bin/env bash
# Installs the Debian packages the client, the demo service and the tests need.
# Idempotent: asks dpkg first and only calls apt-get for what is missing.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  libgtkmm-3.0-dev libwebkit2gtk-4.1-dev libcpp-httplib-dev libgtest-dev
  xvfb openbox xdotool x11-utils fonts-noto-cjk imagemagick
  dbus dbus-x11 at-spi2-core gir1.2-atspi-2.0 python3-gi libatspi2.0-dev libatk-adaptor
  curl procps desktop-file-utils
  g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 wine wine64 locales
)
# Extra groups, asked for by the make targets that need them.
for group in "$@"; do
  case "$group" in
    windows) ;;  # in the default list, since `make test` runs the Windows tests
    fuzz) packages+=(clang libclang-rt-14-dev) ;;
    bench) packages+=(chromium libxtst-dev) ;;
    *) echo "install-deps: unknown group '$group'" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "install-deps: installing ${missing[*]}"
if [[ $(id -u) -eq 0 ]]; then sudo=(); else sudo=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
