#!/usr/bin/env bash
# Runs the Keyring* tests of a test program against a real Secret Service: a
# private D-Bus session with an unlocked keyring in a fresh data folder, so no
# existing keyring (and no password prompt) is involved.
# Usage: keyring-test.sh <test program> [more gtest arguments]
set -euo pipefail
program=$1
shift
export KEYRING_TEST_PROGRAM=$program
exec dbus-run-session -- bash -c '
  export XDG_DATA_HOME=$(mktemp -d)
  trap "rm -rf \"$XDG_DATA_HOME\"" EXIT
  echo -n pass | gnome-keyring-daemon --unlock --components=secrets >/dev/null
  "$KEYRING_TEST_PROGRAM" --gtest_filter="Keyring*" "$@"' keyring-test "$@"
