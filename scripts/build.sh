#!/usr/bin/env bash
# Installs what is missing, then configures and builds the given preset (default: dev).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
preset=${1:-dev}
bash "$root/scripts/install-deps.sh"
cd "$root"
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j"$(nproc)"
