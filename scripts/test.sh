#!/usr/bin/env bash
# The whole test run: install what is missing, build, and run every test suite.
# Services the suites need (the private CUPS scheduler, ...) are started and
# stopped by CTest fixtures, so a single label also runs alone:
#   cd build/dev && ctest -L cups
# Extra arguments go to ctest, e.g. scripts/test.sh -L printkit
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/build.sh" dev

export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d /tmp/quillmark-xdg.XXXXXX)}
chmod 700 "$XDG_RUNTIME_DIR"

cd "$root/build/dev"
ctest --output-on-failure --timeout 300 -j"$(nproc)" "$@"
