#!/usr/bin/env bash
# The Windows step of the test command: cross-builds core/ and the Qt-free platform parts with mingw-w64
# and runs their suites under Wine (CTest label "windows"). Usage: tools/test-windows.sh [build-dir]
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

build_dir=${1:-$QOR_ROOT/build-windows}
prefix="$build_dir/wineprefix"
export QOR_WINEPREFIX=$prefix

qor_install_missing

# The version record's generator runs on this machine: a native build of it, a few seconds.
mkdir -p "$build_dir/host"
generator="$build_dir/host/qor_generate_version_record"
if [ ! -x "$generator" ] || [ "$QOR_ROOT/app/version/GenerateVersionRecord.cpp" -nt "$generator" ] ||
   [ "$QOR_ROOT/app/version/VersionRecordBuilder.cpp" -nt "$generator" ]; then
  g++ -std=c++20 -O1 -o "$generator" -I"$QOR_ROOT/app/version" "$QOR_ROOT/app/version/GenerateVersionRecord.cpp" \
    "$QOR_ROOT/app/version/VersionRecordBuilder.cpp"
fi

# Wine takes its ANSI code page from the locale: a Russian one, so that the ANSI functions cross
# Windows-1251 as on the users' machines. Compiled into the build folder, the system's locales untouched.
locale_dir="$build_dir/locale"
if [ ! -d "$locale_dir/ru_RU.UTF-8" ]; then
  mkdir -p "$locale_dir"
  localedef -i ru_RU -f UTF-8 "$locale_dir/ru_RU.UTF-8"
fi
export LOCPATH=$locale_dir LC_ALL=ru_RU.UTF-8

# A fresh prefix takes some seconds to create; it is made once, beside the build, while the build runs.
wine_init=()
if [ ! -f "$prefix/system.reg" ]; then
  WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" /usr/lib/wine/wine64 wineboot --init \
    > "$build_dir/wineboot.log" 2>&1 &
  wine_init=($!)
fi

cmake -S "$QOR_ROOT/tests/windows" -B "$build_dir" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$QOR_ROOT/tests/windows/mingw-w64.cmake" -DQOR_VERSION_GENERATOR="$generator" \
  "${QOR_LAUNCHER[@]}"
if [ ${#wine_init[@]} -gt 0 ]; then
  # wine64 alone reports the missing 32-bit rundll32 and goes on; the prefix is usable once the server
  # has stopped and written its registry files.
  wait "${wine_init[0]}" || true
  WINEPREFIX=$prefix /usr/lib/wine/wineserver -w
fi
# One server and one set of Wine's services for the whole run rather than one per test program.
WINEPREFIX=$prefix /usr/lib/wine/wineserver -p 60 || true  # fails when one already runs
WINEPREFIX=$prefix WINEDEBUG=-all /usr/lib/wine/wine64 cmd.exe /c exit > /dev/null 2>&1 < /dev/null || true
cmake --build "$build_dir" -j2
cd "$build_dir"
qor_ctest -L windows
WINEPREFIX=$prefix /usr/lib/wine/wineserver -k || true
