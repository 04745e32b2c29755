#!/usr/bin/env bash
# Builds the editor and runs every test suite in build-tests/ (build/ belongs to run.sh), then the quick
# Windows step (tools/test-windows.sh: what needs no Qt, under Wine, in build-windows/) and 30 seconds of
# fuzzing per harness (tools/fuzz.sh, build-fuzz/). With --sanitize: only the native suites, in a separate
# build with AddressSanitizer and UndefinedBehaviorSanitizer (build-sanitize/). Each build is a preset of
# CMakePresets.json.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

preset=tests
if [ "${1:-}" = "--sanitize" ]; then
  preset=sanitize
fi

qor_install_missing
qor_step "build $preset" qor_build $preset
QOR_NO_SKIPS=1 qor_step "tests $preset" qor_ctest $preset
if [ $preset = tests ]; then
  qor_step "Windows step (build and tests under Wine)" bash "$QOR_ROOT/tools/test-windows.sh"
  qor_step "fuzzing (build and 30 s per harness)" bash "$QOR_ROOT/tools/fuzz.sh" 30
fi
