#!/usr/bin/env bash
# Installs what is missing, then configures and builds the given preset (default: dev).
# Further arguments go to the build, e.g. `scripts/build.sh dev --target quillmark`.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
preset=${1:-dev}
shift || true
bash "$root/scripts/install-deps.sh"
cd "$root"
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j"$(nproc)" "$@"
