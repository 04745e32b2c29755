# Shared by run.sh and test.sh: install what a fresh Debian machine lacks, then configure and build.
set -euo pipefail

QOR_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
QOR_PACKAGES=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins qt6-translations-l10n
              libgl-dev libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth fonts-dejavu-core
              g++-mingw-w64-x86-64-posix wine64 googletest locales
              clang libclang-rt-14-dev lintian x11-utils icoutils wixl msitools)

# ccache when the machine has it: the builds of the test command share most sources.
QOR_LAUNCHER=()
if command -v ccache > /dev/null; then
  QOR_LAUNCHER=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi

qor_install_missing() {
  local missing=()
  for package in "${QOR_PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$package")
    fi
  done
  if [ ${#missing[@]} -eq 0 ]; then
    return
  fi
  echo "Installing: ${missing[*]}"
  local sudo=()
  if [ "$(id -u)" -ne 0 ]; then
    sudo=(sudo)
  fi
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# qor_build PRESET [cmake options...]: configures the build of a preset of CMakePresets.json (its folder is
# build-<preset>/, build/ for "run") and builds it.
qor_build() {
  local preset=$1
  shift
  (cd "$QOR_ROOT" && cmake --preset "$preset" "${QOR_LAUNCHER[@]}" "$@" > /dev/null &&
   cmake --build --preset "$preset")
}

# qor_step NAME COMMAND...: runs one step and says how long it took.
qor_step() {
  local name=$1 start=$SECONDS
  shift
  "$@"
  echo "== $name: $((SECONDS - start)) s"
}

# qor_ctest PRESET [ctest options...]: runs the tests of a preset's build, and fails, saying why, when there
# is none to run: a folder configured with the tests switched off must not pass as green. With
# QOR_NO_SKIPS=1 a skipped test fails the run too: on Linux every suite has what it needs.
qor_ctest() {
  local preset=$1 count status=0 output
  shift
  count=$(cd "$QOR_ROOT" && ctest --preset "$preset" -N "$@" | sed -n 's/^Total Tests: //p')
  if [ "${count:-0}" -eq 0 ]; then
    echo "error: no test to run in the build of preset $preset (configured with QOR_BUILD_TESTS=OFF?)" >&2
    return 1
  fi
  output=$(mktemp)
  (cd "$QOR_ROOT" && ctest --preset "$preset" "$@") | tee "$output" || status=$?
  if [ $status -eq 0 ] && [ "${QOR_NO_SKIPS:-0}" = 1 ] && grep -q "(Skipped)" "$output"; then
    echo "error: tests were skipped in the build of preset $preset; each says why above" >&2
    status=1
  fi
  rm -f "$output"
  return $status
}
