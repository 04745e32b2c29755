#!/usr/bin/env bash
# The quick Windows step of the test command: what needs no Qt (files/, core/ and the registry and version
# API of platform/) cross-built with mingw-w64 in build-windows/ (preset "windows") and its suites run under
# Wine (CTest label "windows"). tools/package-windows.sh builds and runs everything else there.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
source "$QOR_ROOT/tools/windows/wine.sh"

build_dir=$QOR_ROOT/build-windows
prefix="$build_dir/wineprefix"
export QOR_WINEPREFIX=$prefix

qor_install_missing
qor_version_generator "$build_dir/host"
export QOR_GENERATOR
qor_russian_locale "$build_dir/locale"
# A fresh prefix takes some seconds to create; it is made once, beside the build, while the build runs.
qor_wine_prefix_begin "$prefix"
(cd "$QOR_ROOT" && cmake --preset windows "${QOR_LAUNCHER[@]}" > /dev/null)
qor_wine_prefix_end "$prefix"
(cd "$QOR_ROOT" && cmake --build --preset windows)
qor_ctest windows
qor_wine_stop "$prefix"
