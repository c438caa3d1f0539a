#!/usr/bin/env bash
# Builds the release preset and runs the benchmarks against a private CUPS scheduler.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/build.sh" release

bench=/tmp/quillmark-bench
bash "$root/scripts/cups-testbed.sh" start "$bench" >/dev/null
trap 'bash "$root/scripts/cups-testbed.sh" stop "$bench"' EXIT
export CUPS_SERVER=$bench/cups/cups.sock QUILLMARK_TESTBED_DIR=$bench

"$root/build/release/bench/printkit_bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true "$@"
