#!/usr/bin/env bash
# Set-up, build and run in one step on a fresh Debian 12 machine (as root, or with sudo).
#   bash tools/dev.sh run    installs what is missing, builds, runs the program on the example
#   bash tools/dev.sh test   installs what is missing, builds, runs every test
#   bash tools/dev.sh asan   the same tests under AddressSanitizer and UBSan
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake ninja-build g++ pkg-config qt6-base-dev libgl1-mesa-dev libgtest-dev libgmock-dev
          libbenchmark-dev libcli11-dev xvfb xauth unzip zip shared-mime-info)

install_missing() {
  local missing=()
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if ((${#missing[@]})); then
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
}

build() {
  local preset=$1
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
}

case "${1:-run}" in
  run)
    install_missing
    build default
    if [ -n "${DISPLAY:-}" ]; then
      exec build/olvar "${@:2}"
    else
      build/olvar-cli --version
      build/olvar-cli --help
    fi
    ;;
  test)
    install_missing
    build default
    ctest --preset default --parallel "$(nproc)"
    ;;
  asan)
    install_missing
    build asan
    ctest --preset asan --parallel "$(nproc)"
    ;;
  *)
    echo "usage: bash tools/dev.sh run|test|asan" >&2
    exit 2
    ;;
esac
