#!/usr/bin/env bash
# Makes this user's desktop open quillmark:// addresses (the sign-in callback from
# the browser) with the given Quillmark program. Per user only, nothing system-wide;
# running it again just rewrites the same entry.
# Usage: register-url-handler.sh [path to the quillmark program]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
program=$(realpath "${1:-$root/build/dev/src/quillmark}")

apps=${XDG_DATA_HOME:-$HOME/.local/share}/applications
mkdir -p "$apps"
entry=$apps/quillmark.desktop
tmp=$(mktemp "$apps/.quillmark.desktop.XXXXXX")
# Exec quoting per the desktop entry rules: the path in double quotes.
sed "s|^Exec=.*|Exec=\"$program\" %u|" "$root/packaging/quillmark.desktop" >"$tmp"
mv -f "$tmp" "$entry"

if command -v update-desktop-database >/dev/null 2>&1; then
  update-desktop-database "$apps" >/dev/null 2>&1 || true
fi
if command -v xdg-mime >/dev/null 2>&1; then
  xdg-mime default quillmark.desktop x-scheme-handler/quillmark
else
  # What xdg-mime would write, for desktops without it.
  config=${XDG_CONFIG_HOME:-$HOME/.config}
  mkdir -p "$config"
  list=$config/mimeapps.list
  touch "$list"
  if ! grep -q '^x-scheme-handler/quillmark=' "$list"; then
    if grep -q '^\[Default Applications\]' "$list"; then
      sed -i '/^\[Default Applications\]/a x-scheme-handler/quillmark=quillmark.desktop' "$list"
    else
      printf '[Default Applications]\nx-scheme-handler/quillmark=quillmark.desktop\n' >>"$list"
    fi
  fi
fi
echo "register-url-handler: quillmark:// opens $program"
