#!/usr/bin/env bash
# Runs the client against the demo service. On a desktop, X11 or Wayland
# (DISPLAY or WAYLAND_DISPLAY set), the client opens there; with no display
# at all, it runs under Xvfb with openbox, and a screenshot is saved once the
# login page has loaded.
set -euo pipefail

build_dir=${1:-build}
client=$build_dir/varnock
service=$build_dir/varnock-demo-service
source "$(dirname "$0")/virtual-desktop.sh"
start_scratch varnock-run
trap 'exit 130' INT TERM

port_open() { (exec 3<>/dev/tcp/127.0.0.1/8010) 2>/dev/null; }

if port_open; then
  echo "Port 8010 is in use already; the client will talk to whatever listens there."
else
  "$service" --request-log "$work/requests.log" > "$work/service.log" 2>&1 &
  pids+=($!)
  for _ in $(seq 100); do port_open && break; sleep 0.05; done
  port_open || { cat "$work/service.log"; echo "The demo service did not start." >&2; exit 1; }
  echo "Demo service on http://localhost:8010/?fun=login (account demo, password demo123)"
fi

if [[ -n "${DISPLAY:-}" || -n "${WAYLAND_DISPLAY:-}" ]]; then
  "$client"
  exit 0
fi

# No display: a virtual one with a window manager, whose packages only this
# case needs.
"$(dirname "$0")/install-deps.sh" headless
start_virtual_desktop 90 140 "$work"
export DISPLAY=$display

# On the virtual display: GTK tries Wayland first, and with WAYLAND_DISPLAY
# unset would find a compositor at its default socket. A socket that does not
# exist sends it on to X11 without forcing a backend.
WAYLAND_DISPLAY="$work/no-compositor" "$client" > "$work/client.log" 2>&1 &
client_pid=$!
pids+=($client_pid)

# The login page has loaded once its announcements frame has been fetched;
# then give the engine a moment to paint.
shot=$build_dir/screenshot-login.png
for _ in $(seq 200); do
  if grep -q "GET /?fun=notice" "$work/requests.log" 2>/dev/null; then break; fi
  kill -0 "$client_pid" 2>/dev/null || { cat "$work/client.log"; echo "The client ended." >&2; exit 1; }
  sleep 0.1
done
sleep 1.5
import -window root "$shot"
echo "No display: the client ran under Xvfb; screenshot of the login window: $shot"
