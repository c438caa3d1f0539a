#!/usr/bin/env bash
# Installs what is missing, builds, starts the local stand-ins and runs Quillmark.
# The stand-ins: the backend on http://127.0.0.1:8787 (the dev build's backend
# address; it prints a sign-in token per seeded seller), the marketplace's live
# pages on http://127.0.0.1:8788 (the dev build's marketplace) and a private CUPS
# scheduler with virtual label queues (TestLabel, ZebraLabel, SlowLabel,
# FailLabel; jobs land in /tmp/quillmark-demo/cups/out). Without a display the
# app runs under Xvfb.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/build.sh" dev

demo=/tmp/quillmark-demo
bash "$root/scripts/cups-testbed.sh" start "$demo"
"$root/build/dev/standins/backend/quillmark-standin-backend" --port 8787 &
backend_pid=$!
"$root/build/dev/standins/marketplace/quillmark-standin-marketplace" --port 8788 &
marketplace_pid=$!
trap 'kill "$backend_pid" "$marketplace_pid" 2>/dev/null || true; bash "$root/scripts/cups-testbed.sh" stop "$demo"' EXIT
export CUPS_SERVER=$demo/cups/cups.sock

app=$root/build/dev/src/quillmark
# The browser hands the sign-in back through quillmark:// addresses.
bash "$root/scripts/register-url-handler.sh" "$app" || echo "Could not register the quillmark:// handler; browser sign-in will not return."
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  "$app" "$@"
else
  echo "No display found: running under Xvfb."
  xvfb-run -a -s "-screen 0 1280x800x24" "$app" "$@"
fi
