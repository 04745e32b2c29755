#!/usr/bin/env bash
# Builds the benchmarks in Release (preset "bench", in build-bench/) and runs them.
# Usage: bench/run.sh [benchmark options for core_bench...]
source "$(dirname "${BASH_SOURCE[0]}")/../tools/common.sh"

qor_install_missing
qor_build bench
build=$QOR_ROOT/build-bench
"$build/bench/core_bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true "$@"
"$build/bench/gui_bench" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true
"$build/bench/check_bench" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true
