#!/usr/bin/env bash
# Set-up, build and run in one step on a fresh Debian 12 machine (as root, or with sudo).
#   bash tools/dev.sh run    installs what is missing, builds, opens the example survey (without a
#                            display: writes its plausibility check report)
#   bash tools/dev.sh test   installs what is missing, builds, runs every test
#   bash tools/dev.sh asan   the same tests under AddressSanitizer and UBSan
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake ninja-build g++ pkg-config qt6-base-dev libgl1-mesa-dev libgtest-dev libgmock-dev
          libbenchmark-dev libcli11-dev libzip-dev libexpat1-dev xvfb xauth unzip zip
          shared-mime-info locales)
# The office program reports are handed to; the tests convert real reports with it.
test_packages=(libreoffice-writer-nogui libreoffice-calc-nogui poppler-utils)
# Locales whose date and number formats the tests read (day first with points, month first,
# year first, decimal comma).
test_locales=(en_US de_DE fr_FR sv_SE)

install_missing() {
  local missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if ((${#missing[@]})); then
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
}

make_test_locales() {
  local have
  have=$(locale -a 2>/dev/null)
  for l in "${test_locales[@]}"; do
    grep -qix "$l.utf8" <<<"$have" || localedef -i "$l" -f UTF-8 "$l.UTF-8" 2>/dev/null ||
      echo "note: locale $l.UTF-8 could not be made; its test is skipped" >&2
  done
}

# Where ccache is installed, compilations are reused across builds and clones of the tree (the
# paths it hashes are taken relative to the top of this tree).
if command -v ccache >/dev/null 2>&1; then
  export CMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER:-ccache}
  export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD}
  export CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-1}
fi

build() {
  local preset=$1
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
}

case "${1:-run}" in
  run)
    install_missing "${packages[@]}"
    # Only the programs and the tables they read: the tests and benchmarks are the test
    # command's to build.
    cmake --preset default >/dev/null
    cmake --build --preset default --target olvar olvar-cli olvar_data olvar_who_table \
      olvar_ethiopian_dat olvar_demo_survey
    demo=build/data/examples/demo.as
    if [ -n "${DISPLAY:-}" ]; then
      exec build/olvar "$demo" "${@:2}"
    else
      echo "No display: writing the plausibility check report of the example survey instead."
      build/olvar-cli plausibility "$demo" -o build/demo_plausibility.rtf
      echo "Report: build/demo_plausibility.rtf (the survey itself: build/olvar-cli table $demo)"
    fi
    ;;
  test)
    install_missing "${packages[@]}" "${test_packages[@]}"
    make_test_locales
    build default
    ctest --preset default --parallel "$(nproc)"
    ;;
  asan)
    install_missing "${packages[@]}" "${test_packages[@]}"
    make_test_locales
    build asan
    ctest --preset asan --parallel "$(nproc)"
    ;;
  *)
    echo "usage: bash tools/dev.sh run|test|asan" >&2
    exit 2
    ;;
esac
