#!/usr/bin/env bash
# Starts the stand-in backend on its own and checks it over plain HTTP (bash's
# /dev/tcp, no other tools): no token is refused, and a token won through the
# Google sign-in page opens the seeded seller's session.
# Usage: standin-backend-smoke.sh <path to quillmark-standin-backend>
set -euo pipefail

exe=${1:?usage: $0 <quillmark-standin-backend>}
out=$(mktemp)
pid=""
cleanup() {
  if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; fi
  rm -f "$out"
}
trap cleanup EXIT
fail() { echo "standin-backend-smoke: $*" >&2; exit 1; }

"$exe" --port 0 >"$out" 2>&1 &
pid=$!

port=""
for _ in $(seq 1 100); do
  port=$(sed -n 's|^Stand-in backend listening on http://127\.0\.0\.1:\([0-9]*\)$|\1|p' "$out")
  [ -n "$port" ] && break
  kill -0 "$pid" 2>/dev/null || fail "the server exited: $(cat "$out")"
  sleep 0.1
done
[ -n "$port" ] || fail "the server did not report its address"

# request METHOD TARGET [EXTRA HEADER]: sets status, headers and body.
request() {
  local method=$1 target=$2 extra=${3:-}
  exec 3<>"/dev/tcp/127.0.0.1/$port"
  printf '%s %s HTTP/1.1\r\nHost: 127.0.0.1:%s\r\n%s\r\n' "$method" "$target" "$port" \
    "${extra:+$extra$'\r\n'}" >&3
  local line length=0
  IFS= read -r -t 10 line <&3 || fail "no answer to $method $target"
  status=$(echo "$line" | cut -d' ' -f2)
  headers=""
  while IFS= read -r -t 10 line <&3; do
    line=${line%$'\r'}
    [ -z "$line" ] && break
    headers+="$line"$'\n'
    case "${line,,}" in content-length:*) length=${line#*: } ;; esac
  done
  body=""
  if [ "$length" -gt 0 ]; then IFS= read -r -t 10 -N "$length" body <&3 || true; fi
  exec 3<&-
}

request GET /api/auth/me
[ "$status" = 401 ] || fail "GET /api/auth/me without a token answered $status, not 401"

request GET '/api/auth/signin/google?callbackURL=/api/auth/mobile/callback&scheme=quillmark'
[ "$status" = 200 ] || fail "the sign-in page answered $status"
link=$(echo "$body" | grep -o 'href="[^"]*user=seller-1"' | head -n1 | sed 's/^href="//; s/"$//; s/&amp;/\&/g')
[ -n "$link" ] || fail "the sign-in page lists no seller-1: $body"

request GET "$link"
[ "$status" = 302 ] || fail "the callback answered $status, not 302"
location=$(echo "$headers" | sed -n 's/^[Ll]ocation: //p')
case "$location" in quillmark://auth/callback\?token=*) ;; *) fail "unexpected redirect: $location" ;; esac
token=${location#*token=}

request GET /api/auth/me "Authorization: Bearer $token"
[ "$status" = 200 ] || fail "GET /api/auth/me with the new token answered $status"
case "$body" in *'"id":"seller-1"'*'ava@example.com'* | *'ava@example.com'*'"id":"seller-1"'*) ;;
  *) fail "GET /api/auth/me answered another user: $body" ;; esac

echo "standin-backend-smoke: ok (port $port)"
