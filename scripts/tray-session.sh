#!/usr/bin/env bash
# Runs a program on a private X display that has a system tray: Xvfb on a free
# display number with trayer as the tray host, both stopped again (by their PIDs)
# when the program ends. The program runs on the xcb platform whatever the
# environment says, and its tray icon goes to trayer, never to a desktop's own tray.
#
#   tray-session.sh PROGRAM [ARGUMENTS...]
#
# Without Xvfb or trayer the program still runs, offscreen, with
# QUILLMARK_TRAY_UNAVAILABLE saying what is missing, so its tests skip with that reason.
set -euo pipefail

[ $# -ge 1 ] || { echo "usage: tray-session.sh PROGRAM [ARGUMENTS...]" >&2; exit 2; }

missing=()
for tool in Xvfb trayer; do
  command -v "$tool" >/dev/null 2>&1 || missing+=("$tool")
done
if [ ${#missing[@]} -gt 0 ]; then
  export QUILLMARK_TRAY_UNAVAILABLE="not installed: ${missing[*]} (scripts/install-deps.sh installs them)"
  export QT_QPA_PLATFORM=offscreen
  exec "$@"
fi

work=$(mktemp -d /tmp/quillmark-tray.XXXXXX)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do
    kill -TERM "$pid" 2>/dev/null || true
  done
  for pid in "${pids[@]}"; do
    wait "$pid" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "tray-session: $1" >&2
  for log in "$work"/*.log; do
    [ -s "$log" ] && { echo "--- $(basename "$log")" >&2; cat "$log" >&2; }
  done
  exit 1
}

# Starts Xvfb on a free display (it writes the number to fd 3) and trayer on it; the
# reason on failure. Two Xvfbs started at the same moment by parallel suites can meet
# over one display number, one ending or losing its socket under the other, so a
# start that fails is tried again on a fresh pair.
start_display() {
  : >"$work/display"
  exec 3>"$work/display"
  Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -br >"$work/xvfb.log" 2>&1 &
  pids+=($!)
  exec 3>&-
  for _ in $(seq 200); do
    [ -s "$work/display" ] && break
    sleep 0.05
  done
  [ -s "$work/display" ] || { why="Xvfb did not start"; return 1; }
  export DISPLAY=":$(head -1 "$work/display")"
  for _ in $(seq 100); do
    xdpyinfo >/dev/null 2>&1 && break
    sleep 0.05
  done
  xdpyinfo >/dev/null 2>&1 || { why="Xvfb does not answer on $DISPLAY"; return 1; }

  trayer --edge top --align right --widthtype pixel --width 200 --height 32 \
    --transparent true --alpha 0 --tint 0x303030 >"$work/trayer.log" 2>&1 &
  pids+=($!)
  for _ in $(seq 100); do
    xwininfo -root -tree 2>/dev/null | grep -q '"panel"' && break
    sleep 0.05
  done
  xwininfo -root -tree 2>/dev/null | grep -q '"panel"' || { why="trayer did not show its panel"; return 1; }
}

why=""
started=0
for attempt in 1 2 3; do
  if start_display; then
    started=1
    break
  fi
  echo "tray-session: attempt $attempt: $why; starting again" >&2
  for log in "$work"/*.log; do
    [ -s "$log" ] && { echo "--- $(basename "$log")" >&2; cat "$log" >&2; }
  done
  for pid in "${pids[@]}"; do
    kill -TERM "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  pids=()
done
[ "$started" = 1 ] || fail "$why"

export QT_QPA_PLATFORM=xcb
# Widgets only: without GL integration no GL driver is loaded, and none is left
# unloading with allocations of its own at exit (the leak checker would count them).
export QT_XCB_GL_INTEGRATION=none
# A desktop's status-notifier host on the session bus would take the icon from trayer.
export DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-session-bus"
unset WAYLAND_DISPLAY
# Pointer events from xdotool are in device pixels: keep them equal to Qt's.
unset QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_AUTO_SCREEN_SCALE_FACTOR
status=0
"$@" || status=$?
exit "$status"
