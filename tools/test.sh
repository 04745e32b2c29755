#!/usr/bin/env bash
# Builds the editor and runs every test suite in build-tests/ (build/ belongs to run.sh), then the Windows
# suites under Wine (tools/test-windows.sh, build-windows/) and 30 seconds of fuzzing per harness
# (tools/fuzz.sh, build-fuzz/). With --sanitize: only the native suites, in a separate build with
# AddressSanitizer and UndefinedBehaviorSanitizer (build-sanitize/).
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

build_dir="$QOR_ROOT/build-tests"
options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DQOR_BUILD_TESTS=ON)
sanitize=0
if [ "${1:-}" = "--sanitize" ]; then
  sanitize=1
  build_dir="$QOR_ROOT/build-sanitize"
  options=(-DCMAKE_BUILD_TYPE=Debug -DQOR_BUILD_TESTS=ON -DQOR_SANITIZE=ON -DQOR_BUILD_BENCH=OFF)
  export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
fi

qor_install_missing
qor_step "build $(basename "$build_dir")" qor_build "$build_dir" "${options[@]}"
qor_step "tests $(basename "$build_dir")" env QOR_NO_SKIPS=1 bash -c "cd '$build_dir' && source '$QOR_ROOT/tools/common.sh' && qor_ctest"
if [ $sanitize -eq 0 ]; then
  qor_step "Windows step (build and tests under Wine)" bash "$QOR_ROOT/tools/test-windows.sh"
  qor_step "fuzzing (build and 30 s per harness)" bash "$QOR_ROOT/tools/fuzz.sh" 30
fi
