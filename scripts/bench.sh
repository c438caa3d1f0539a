#!/usr/bin/env bash
# Builds the release preset and runs the benchmarks against a private CUPS scheduler.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/build.sh" release

bench=/tmp/quillmark-bench
bash "$root/scripts/cups-testbed.sh" start "$bench" >/dev/null
trap 'bash "$root/scripts/cups-testbed.sh" stop "$bench"' EXIT
export CUPS_SERVER=$bench/cups/cups.sock QUILLMARK_TESTBED_DIR=$bench

for b in printkit_bench layouts_bench capture_bench printing_bench autoprint_bench history_bench; do
  if [ -x "$root/build/release/bench/$b" ]; then
    "$root/build/release/bench/$b" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true "$@"
  fi
done
