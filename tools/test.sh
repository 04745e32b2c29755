#!/usr/bin/env bash
# Builds the editor and runs every test suite. With --sanitize: a separate build with AddressSanitizer and
# UndefinedBehaviorSanitizer.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

build_dir="$QOR_ROOT/build"
options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
if [ "${1:-}" = "--sanitize" ]; then
  build_dir="$QOR_ROOT/build-sanitize"
  options=(-DCMAKE_BUILD_TYPE=Debug -DQOR_SANITIZE=ON -DQOR_BUILD_BENCH=OFF)
  export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
fi

qor_install_missing
qor_build "$build_dir" "${options[@]}"
cd "$build_dir"
ctest --output-on-failure -j2 --timeout 300
