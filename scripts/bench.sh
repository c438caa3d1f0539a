#!/usr/bin/env bash
# Builds the release preset and runs every benchmark program against a private CUPS
# scheduler, 5 repetitions each (medians and spread). Arguments go to every program
# (for example --benchmark_filter=Drain).
#
#   BENCH_JOBS   build jobs (default: all cores)
#   BENCH_CPU    the CPU the single-core programs are pinned to (default: the last one)
#   BENCH_BUILD=0  run what build/release holds without building
#   BENCH_OUT    the folder of the figures (default: build/release/bench-results)
#
# The figures are read from BENCH_OUT/<program>.json (Google Benchmark's JSON), never
# from standard output: the programs' own lines (the CUPS transport's account of each
# job, for one) go there beside the console table.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/release
if [ "${BENCH_BUILD:-1}" != 0 ]; then
  cd "$root"
  cmake --preset release >/dev/null
  cmake --build "$build" -j"${BENCH_JOBS:-$(nproc)}"
fi
build_type=$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$build/CMakeCache.txt")
echo "Build type measured: ${build_type:-unknown} ($build)"
# Each program also prints Google Benchmark's "Library was built as DEBUG" warning: that
# is about the distribution's benchmark library, not the code measured here.

bench=${BENCH_DIR:-/tmp/quillmark-bench}
bash "$root/scripts/cups-testbed.sh" start "$bench" >/dev/null
trap 'bash "$root/scripts/cups-testbed.sh" stop "$bench"' EXIT
export CUPS_SERVER=$bench/cups/cups.sock QUILLMARK_TESTBED_DIR=$bench

out=${BENCH_OUT:-$build/bench-results}
mkdir -p "$out"

cpu=${BENCH_CPU:-$(($(nproc) - 1))}
# Programs whose work runs on the GUI thread alone are pinned to one CPU, as their
# notes say; the others use Qt WebEngine's processes or the CUPS scheduler and its
# tools, which must not share that CPU.
single_core=(printkit_bench layouts_bench printing_bench shows_bench live_lists_bench lists_bench designer_bench)
several_cores=(capture_bench cups_bench autoprint_bench shell_bench history_bench)

status=0
run() {
  local program=$1; shift
  local path=$build/bench/$program
  if [ ! -x "$path" ]; then
    echo "missing benchmark program: $path" >&2
    status=1
    return
  fi
  echo "== $program${pin:+ (pinned to CPU $cpu)}"
  ${pin:+taskset -c "$cpu"} "$path" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
    --benchmark_context=build_type="${build_type:-unknown}" \
    --benchmark_out="$out/$program.json" --benchmark_out_format=json "$@" || status=1
}
pin=1
for b in "${single_core[@]}"; do run "$b" "$@"; done
pin=
for b in "${several_cores[@]}"; do run "$b" "$@"; done
echo "Figures: $out/<program>.json"
exit $status
