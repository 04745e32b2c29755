#!/usr/bin/env bash
# Builds the benchmarks in Release and runs them. Usage: bench/run.sh [build-dir] [benchmark options...]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-$root/build-bench}
shift || true
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQOR_BUILD_BENCH=ON
cmake --build "$build" -j2 --target core_bench gui_bench check_bench make_max_book
"$build/bench/core_bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true "$@"
"$build/bench/gui_bench" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true
"$build/bench/check_bench" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true
