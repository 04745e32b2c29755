#!/usr/bin/env bash
# The editor for Windows, where its users are: Qt cross-built once into a machine cache (tools/windows/qt.sh),
# QorSprav.exe and every suite cross-built against it in build-win64/ (preset "win64"), the suites run under
# Wine with a Russian locale (ANSI code page Windows-1251), the real program started once under Wine and
# Xvfb with the sample book, then the zip users unpack and the installer (MSI) made of the same files, each
# tried in a fresh prefix as a user would. The last two lines printed are the zip's path and the MSI's.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
source "$QOR_ROOT/tools/windows/qt.sh"
source "$QOR_ROOT/tools/windows/wine.sh"

build_dir=$QOR_ROOT/build-win64
prefix="$build_dir/wineprefix"
export QOR_WINEPREFIX=$prefix

qor_install_missing
qor_step "Qt for Windows (built once per machine)" qor_windows_qt
qor_version_generator "$build_dir/host"
qor_russian_locale "$build_dir/locale"
qor_wine_prefix_begin "$prefix"

export QOR_WINDOWS_QT QOR_GENERATOR
qor_windows_build() {
  (cd "$QOR_ROOT" && cmake --preset win64 "${QOR_LAUNCHER[@]}") > "$build_dir/configure.log" 2>&1 ||
    { tail -n 40 "$build_dir/configure.log"; return 1; }
  qor_wine_prefix_end "$prefix"
  (cd "$QOR_ROOT" && cmake --build --preset win64)
}
mkdir -p "$build_dir"
qor_step "build QorSprav.exe and the suites" qor_windows_build
qor_step "suites under Wine" qor_ctest win64

# The zip: the program, its guide under the name the help command looks for, Qt's Russian texts where the
# program looks for them, and the licence texts.
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build_dir/CMakeCache.txt")
name="QorSprav-$version-win64"
stage="$build_dir/package/$name"
rm -rf "$build_dir/package"
mkdir -p "$stage/translations" "$stage/licenses/Qt"
# The program without its debugging symbols: half the size, the same code.
x86_64-w64-mingw32-strip -o "$stage/QorSprav.exe" "$build_dir/app/QorSprav.exe"
cp "$QOR_ROOT/app/help/guide.html" "$stage/QorSprav.html"
cp /usr/share/qt6/translations/qtbase_ru.qm "$stage/translations/"
cp "$QOR_ROOT/app/package/LICENSE.txt" "$stage/licenses/QorSprav.txt"
cp "$QOR_WINDOWS_QT"/licenses/*.txt "$stage/licenses/Qt/"
rm -f "$stage/licenses/Qt/LicenseRef-Qt-Commercial.txt"  # not the terms it is used under
cp "$QOR_ROOT/app/package/Qt-NOTICE.txt" "$stage/licenses/Qt/NOTICE.txt"
(cd "$build_dir/package" && cmake -E tar cf "$name.zip" --format=zip "$name")

# The zip as a user meets it: unpacked into a fresh prefix, started with the sample book, closed.
qor_step "the zip started under Wine and Xvfb" bash "$QOR_ROOT/tools/windows/try-zip.sh" \
  "$build_dir/package/$name.zip" "$QOR_ROOT/tests/data/demo.spr" "$build_dir/try"
qor_wine_stop "$prefix"

# The installer, with the name, version and publisher of the version record, tried in a prefix of its own.
qor_step "the MSI made" bash "$QOR_ROOT/tools/windows/make-msi.sh" "$build_dir" "$stage" "$build_dir/package/$name.msi"
qor_step "the MSI installed, upgraded and removed under Wine" bash "$QOR_ROOT/tools/windows/try-msi.sh" \
  "$build_dir" "$stage" "$build_dir/package/$name.msi" "$QOR_ROOT/tests/data/demo.spr" "$build_dir/try-msi"
echo "$build_dir/package/$name.zip"
echo "$build_dir/package/$name.msi"
