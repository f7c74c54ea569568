# Sourced by the scripts that run programs on a desktop of their own.
#
#   start_scratch NAME
#
# Makes a scratch folder, /tmp/NAME.XXXXXX, in `work`, and `pids` for the
# processes the script starts in the background: when the script exits,
# they are ended, the last started first, and the folder is removed.
#
#   start_virtual_desktop FIRST LAST LOG-FOLDER
#
# Xvfb, 1280 x 1024, with openbox, on the first free display number from
# FIRST to LAST. Sets `display`; the servers join `pids`.
start_scratch() {
  work=$(mktemp -d "/tmp/$1.XXXXXX")
  pids=()
  trap end_scratch EXIT
}

end_scratch() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}

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
