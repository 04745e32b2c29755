#!/usr/bin/env bash
# The Windows step of the test command: cross-builds core/ and the Qt-free platform parts with mingw-w64
# and runs their suites under Wine (CTest label "windows"). Usage: tools/test-windows.sh [build-dir]
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
source "$QOR_ROOT/tools/windows/wine.sh"

build_dir=${1:-$QOR_ROOT/build-windows}
prefix="$build_dir/wineprefix"
export QOR_WINEPREFIX=$prefix

qor_install_missing
qor_version_generator "$build_dir/host"
qor_russian_locale "$build_dir/locale"
# A fresh prefix takes some seconds to create; it is made once, beside the build, while the build runs.
qor_wine_prefix_begin "$prefix"
cmake -S "$QOR_ROOT/tests/windows" -B "$build_dir" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$QOR_ROOT/tests/windows/mingw-w64.cmake" -DQOR_VERSION_GENERATOR="$QOR_GENERATOR" \
  "${QOR_LAUNCHER[@]}"
qor_wine_prefix_end "$prefix"
cmake --build "$build_dir" -j2
cd "$build_dir"
qor_ctest -L windows
qor_wine_stop "$prefix"
