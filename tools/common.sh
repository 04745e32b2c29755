# Shared by run.sh and test.sh: install what a fresh Debian machine lacks, then configure and build.
set -euo pipefail

QOR_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
QOR_PACKAGES=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins qt6-translations-l10n
              libgl-dev libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth fonts-dejavu-core)

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

# qor_build BUILD_DIR [cmake options...]
qor_build() {
  local dir=$1
  shift
  cmake -S "$QOR_ROOT" -B "$dir" -G Ninja "$@"
  cmake --build "$dir" -j2
}
