#!/usr/bin/env bash
# Installs what is missing, builds, starts the local stand-ins and runs Quillmark.
# The stand-ins: the backend on http://127.0.0.1:8787 (the dev build's backend
# address; it prints a sign-in token per seeded seller), the marketplace's live
# pages on http://127.0.0.1:8788 (the dev build's marketplace) and a private CUPS
# scheduler with virtual label queues (TestLabel, ZebraLabel, SlowLabel,
# FailLabel; jobs land in /tmp/quillmark-demo/cups/out). Without a display the
# app runs under Xvfb. Without a running Secret Service the app keeps its session
# token in a private unlocked keyring that lasts as long as this run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# Only what this script runs: the app and the two stand-ins, not the tests and benchmarks.
bash "$root/scripts/build.sh" dev --target quillmark quillmark-standin-backend quillmark-standin-marketplace

demo=/tmp/quillmark-demo
bash "$root/scripts/cups-testbed.sh" start "$demo"
"$root/build/dev/standins/backend/quillmark-standin-backend" --port 8787 &
backend_pid=$!
"$root/build/dev/standins/marketplace/quillmark-standin-marketplace" --port 8788 &
marketplace_pid=$!
trap 'kill "$backend_pid" "$marketplace_pid" 2>/dev/null || true; bash "$root/scripts/cups-testbed.sh" stop "$demo"' EXIT
export CUPS_SERVER=$demo/cups/cups.sock

app=$root/build/dev/src/quillmark
# Chromium inside Qt WebEngine refuses to start its sandbox as root.
if [ "$(id -u)" -eq 0 ]; then
  export QTWEBENGINE_DISABLE_SANDBOX=1
fi
# The browser hands the sign-in back through quillmark:// addresses.
bash "$root/scripts/register-url-handler.sh" "$app" || echo "Could not register the quillmark:// handler; browser sign-in will not return."
launch=("$app" "$@")
if ! { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; }; then
  echo "No display found: running under Xvfb."
  launch=(xvfb-run -a -s "-screen 0 1280x800x24" "${launch[@]}")
fi

has_secret_service() {
  [ -n "${DBUS_SESSION_BUS_ADDRESS:-}" ] &&
    gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
      --method org.freedesktop.DBus.NameHasOwner org.freedesktop.secrets 2>/dev/null | grep -q true
}

if has_secret_service; then
  "${launch[@]}"
else
  echo "No Secret Service running: the session token goes to a private keyring for this run."
  export QUILLMARK_LAUNCH="${launch[*]@Q}"
  # The keyring lives in a fresh data folder (no password prompt); the app keeps its own.
  export QUILLMARK_DATA_HOME=${XDG_DATA_HOME:-$HOME/.local/share}
  dbus-run-session -- bash -c '
    keyring_home=$(mktemp -d)
    trap "rm -rf \"$keyring_home\"" EXIT
    echo -n demo | XDG_DATA_HOME=$keyring_home gnome-keyring-daemon --unlock --components=secrets >/dev/null
    export XDG_DATA_HOME=$QUILLMARK_DATA_HOME
    eval "$QUILLMARK_LAUNCH"'
fi
