# Sourced by the Windows scripts: Qt 6 (qtbase) cross-built for x86_64-w64-mingw32 from Debian's own source
# package, static, once per machine. The build lives in a cache folder outside every build tree, named after
# Qt's version and a digest of the configure options, so a later run with the same options reuses it.
#   qor_windows_qt   builds it when missing and sets QOR_WINDOWS_QT to its install prefix.

QOR_WINDOWS_QT_PACKAGE=qt6-base
QOR_WINDOWS_QT_VERSION=6.4.2
QOR_WINDOWS_QT_OPTIONS=(
  -release -static -opensource -confirm-license
  -xplatform win32-g++ -qt-host-path /usr
  -nomake examples -nomake tests
  -no-opengl -no-dbus -no-icu
  -no-feature-sql -no-feature-network -no-feature-concurrent -no-feature-xml -no-feature-printsupport
  -no-feature-vulkan -no-feature-tabletevent
  -qt-zlib -qt-pcre -qt-libpng -qt-libjpeg -qt-freetype -qt-harfbuzz
)

qor_windows_qt() {
  local cache_root=${QOR_CACHE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/qor-sprav}
  local toolchain="$QOR_ROOT/cmake/mingw-w64.cmake"
  local digest
  digest=$(printf '%s\n' "${QOR_WINDOWS_QT_OPTIONS[@]}" | cat - "$toolchain" | sha256sum | cut -c1-12)
  local home="$cache_root/qt-$QOR_WINDOWS_QT_VERSION-mingw-$digest"
  QOR_WINDOWS_QT="$home/install"
  if [ -f "$home/done" ]; then
    return
  fi
  local start=$SECONDS
  mkdir -p "$home"
  rm -rf "$home/source" "$home/build" "$home/install"

  # Debian's source package: the upstream tarball and Debian's patches, applied by dpkg-source.
  local apt_dir="$home/apt"
  mkdir -p "$apt_dir/lists/partial" "$home/download"
  local apt_options=(-o Dir::Etc::SourceList="$QOR_ROOT/tools/windows/debian-sources.list"
                     -o Dir::Etc::SourceParts=/dev/null -o Dir::State::Lists="$apt_dir/lists")
  apt-get "${apt_options[@]}" update -qq
  (cd "$home/download" && apt-get "${apt_options[@]}" source --download-only \
    "$QOR_WINDOWS_QT_PACKAGE=$(apt-cache "${apt_options[@]}" showsrc "$QOR_WINDOWS_QT_PACKAGE" |
      sed -n "s/^Version: \($QOR_WINDOWS_QT_VERSION[^ ]*\)$/\1/p" | head -n 1)")
  dpkg-source --no-check -x "$home"/download/"$QOR_WINDOWS_QT_PACKAGE"_*.dsc "$home/source" > "$home/unpack.log"

  local launcher=()
  if command -v ccache > /dev/null; then
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  fi
  # Debian's host tools (moc, rcc, uic) build the target's sources; the toolchain file roots every package
  # search in the mingw-w64 tree, so their CMake packages are named outright.
  local host_cmake
  host_cmake=$(dirname "$(dirname "$(find /usr/lib -path '*/cmake/Qt6HostInfo/Qt6HostInfoConfig.cmake' | head -n 1)")")
  mkdir -p "$home/build"
  (cd "$home/build" && "$home/source/configure" -prefix "$QOR_WINDOWS_QT" "${QOR_WINDOWS_QT_OPTIONS[@]}" -- \
    -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" "${launcher[@]}" \
    -DQT_HOST_PATH_CMAKE_DIR="$host_cmake" -DQt6HostInfo_DIR="$host_cmake/Qt6HostInfo") > "$home/configure.log" 2>&1 ||
    { tail -n 40 "$home/configure.log"; return 1; }
  cmake --build "$home/build" -j2 > "$home/build.log" 2>&1 || { tail -n 40 "$home/build.log"; return 1; }
  cmake --install "$home/build" > "$home/install.log" 2>&1
  # The licence texts travel with the program built on it.
  mkdir -p "$QOR_WINDOWS_QT/licenses"
  cp "$home/source/LICENSES"/*.txt "$QOR_WINDOWS_QT/licenses/"
  rm -rf "$home/build" "$home/source"
  date > "$home/done"
  echo "== Qt $QOR_WINDOWS_QT_VERSION for Windows built in $((SECONDS - start)) s: $QOR_WINDOWS_QT"
}
