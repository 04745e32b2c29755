#!/usr/bin/env bash
# Builds the benchmarks in Release (preset "bench", in build-bench/) and runs them; then the start-up
# benchmark, under Xvfb when there is no display, for the Release editor, for the editor tools/run.sh
# builds (build/) and for a stripped copy of it, as the Debian package installs it.
# Usage: bench/run.sh [benchmark options for core_bench...]
source "$(dirname "${BASH_SOURCE[0]}")/../tools/common.sh"

QOR_PACKAGES+=(libxcb1-dev libxcb-damage0-dev)
qor_install_missing
qor_build bench
qor_build run
build=$QOR_ROOT/build-bench
"$build/bench/core_bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true "$@"
"$build/bench/gui_bench" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true
"$build/bench/check_bench" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true
"$build/bench/history_bench"

stripped=$(mktemp -d)
trap 'rm -rf "$stripped"' EXIT
cp "$QOR_ROOT/build/app/QorSprav" "$QOR_ROOT/build/app/QorSprav.html" "$stripped/"
strip "$stripped/QorSprav"
startup() {
  local status=0
  for editor in "$build/app/QorSprav" "$QOR_ROOT/build/app/QorSprav" "$stripped/QorSprav"; do
    echo "== start-up: $editor"
    "$build/bench/startup_bench" "$editor" "$build/bench/minimal_qt_program" || status=1
  done
  return $status
}
if [ -n "${DISPLAY:-}" ]; then
  startup
else
  # xvfb-run is a POSIX shell script, which drops exported functions: the function goes as text.
  export build stripped QOR_ROOT
  xvfb-run -a -s "-screen 0 1920x1080x24" bash -c "$(declare -f startup); startup"
fi
