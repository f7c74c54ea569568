#!/usr/bin/env bash
# Installs the Debian packages a make target needs, in groups:
#
#   install-deps.sh                 building the client and the demo service
#   install-deps.sh run             ... and running them (fonts for the Chinese text)
#   install-deps.sh headless        a virtual display: Xvfb, openbox, a screenshot tool
#   install-deps.sh package         building the Debian package (make deb)
#   install-deps.sh test            everything `make test` runs: GUI tests,
#                                   Windows cross build under Wine, the
#                                   install and package checks
#   install-deps.sh fuzz | bench    the extra checks
#
# Asks dpkg first and only calls apt-get for what is missing; with nothing
# missing it never calls sudo. Not root: through sudo when it can ask for a
# password on a terminal or needs none; otherwise it prints the apt-get line
# to run and stops.
set -euo pipefail

build=(build-essential cmake pkg-config libgtkmm-3.0-dev libwebkit2gtk-4.1-dev libcpp-httplib-dev)
run=(fonts-noto-cjk)
headless=(xvfb openbox imagemagick)
package=(dpkg-dev file)
# The GUI tests and their harness: a session bus and accessibility, keys
# through xdotool, windows read with xprop and xwininfo, weston for a
# Wayland desktop, locales for the
# Chinese locale runs, fcitx5 with pinyin and IBus for typing Chinese, gdb for the
# failure reports.
gui=("${run[@]}" "${headless[@]}" libgtest-dev libatspi2.0-dev
     xdotool x11-utils dbus dbus-x11 at-spi2-core gir1.2-atspi-2.0 python3-gi libatk-adaptor
     curl procps locales gdb weston fcitx5 fcitx5-chinese-addons fcitx5-frontend-gtk3 ibus ibus-gtk3)
# fonts-wine: Wine's own Tahoma and the rest, without which it draws no text.
# wixl and msitools: the installer.
windows=(g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 wine wine64 fonts-wine wixl msitools)
# The install and package checks: desktop entry and AppStream validation,
# the icons rendered again from their drawing, lintian.
install_checks=(desktop-file-utils appstream appstream-compose librsvg2-bin lintian)

packages=("${build[@]}")
for group in "$@"; do
  case "$group" in
    run) packages+=("${run[@]}") ;;
    headless) packages+=("${headless[@]}") ;;
    package) packages+=("${package[@]}") ;;
    test) packages+=("${gui[@]}" "${windows[@]}" "${package[@]}" "${install_checks[@]}") ;;
    windows) packages+=("${windows[@]}") ;;
    fuzz) packages+=(clang libclang-rt-14-dev) ;;
    bench) packages+=("${gui[@]}" chromium libxtst-dev) ;;
    *) echo "install-deps: unknown group '$group'" >&2; exit 2 ;;
  esac
done

# Locales the GUI tests run the client in, besides C.UTF-8.
locales=()
if [[ " $* " == *" test "* ]]; then
  for l in zh_CN en_US; do
    locale -a 2> /dev/null | grep -qx "$l.utf8" || locales+=("$l.UTF-8")
  done
fi

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 && ${#locales[@]} -eq 0 ]] && exit 0
# Each package once, in the order first asked for.
if [[ ${#missing[@]} -gt 0 ]]; then
  mapfile -t missing < <(printf '%s\n' "${missing[@]}" | awk '!seen[$0]++')
fi

line="apt-get install --no-install-recommends ${missing[*]}"
if [[ $(id -u) -eq 0 ]]; then
  sudo=()
elif command -v sudo > /dev/null && { [[ -t 0 ]] || sudo -n true 2> /dev/null; }; then
  # A terminal to ask for the password on, or no password needed.
  [[ -t 0 ]] && sudo=(sudo) || sudo=(sudo -n)
else
  [[ ${#missing[@]} -gt 0 ]] && {
    echo "install-deps: these Debian packages are missing: ${missing[*]}" >&2
    echo "install-deps: install them as root, then run this again:" >&2
    echo "  sudo apt-get update && sudo $line" >&2
  }
  [[ ${#locales[@]} -gt 0 ]] && {
    echo "install-deps: these locales are not generated: ${locales[*]}; as root:" >&2
    echo "  sudo sed -i -E 's/^# *((${locales[*]// /|}) UTF-8)/\\1/' /etc/locale.gen && sudo locale-gen" >&2
  }
  exit 1
fi

if [[ ${#missing[@]} -gt 0 ]]; then
  echo "install-deps: installing ${missing[*]}"
  "${sudo[@]}" apt-get update -qq
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
if [[ ${#locales[@]} -gt 0 ]]; then
  echo "install-deps: generating the locales ${locales[*]}"
  for l in "${locales[@]}"; do
    "${sudo[@]}" sed -i -E "s/^# *(${l} UTF-8)/\\1/" /etc/locale.gen
  done
  "${sudo[@]}" locale-gen > /dev/null
fi
