# Sourced by the scripts that need a desktop of their own: Xvfb, 1280 x 1024,
# with openbox, on the first free display number from FIRST to LAST.
#
#   start_virtual_desktop FIRST LAST LOG-FOLDER
#
# Sets `display`; the servers' process ids are added to the caller's `pids`,
# for its clean-up.
start_virtual_desktop() {
  local first=$1 last=$2 logs=$3 n
  display=""
  for n in $(seq "$first" "$last"); do
    if [[ ! -e /tmp/.X11-unix/X$n && ! -e /tmp/.X$n-lock ]]; then display=":$n"; break; fi
  done
  [[ -n "$display" ]] || { echo "No free X display number." >&2; return 1; }
  Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp > "$logs/xvfb.log" 2>&1 &
  pids+=($!)
  for _ in $(seq 100); do [[ -e /tmp/.X11-unix/X${display#:} ]] && break; sleep 0.05; done
  DISPLAY=$display openbox --config-file "$(dirname "${BASH_SOURCE[0]}")/openbox-rc.xml" \
    > "$logs/openbox.log" 2>&1 &
  pids+=($!)
  sleep 0.5
}
