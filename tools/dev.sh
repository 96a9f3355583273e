#!/usr/bin/env bash
# Set-up, build and run in one step on a fresh Debian 12 machine (as root, or with sudo).
#   bash tools/dev.sh run    installs what is missing, builds, opens the example survey (without a
#                            display: writes its plausibility check report)
#   bash tools/dev.sh test   installs what is missing, builds, runs every test
#   bash tools/dev.sh asan   the same tests under AddressSanitizer and UBSan
#   bash tools/dev.sh package        builds the Debian package into build/package/
#   bash tools/dev.sh package-check  builds it, installs it, uses the installed programs, checks the
#                                    desktop entry and the MIME type, and removes it again
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
# What builds the Debian package (dpkg-shlibdeps) and checks the installed desktop entry and MIME
# type (xdg-mime reads the MIME database through File::MimeInfo when no desktop is running).
package_packages=(dpkg-dev file desktop-file-utils xdg-utils libfile-mimeinfo-perl)

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

# The Debian package of the default build: build/package/olvar_<version>_<arch>.deb.
build_package() {
  cmake --preset default >/dev/null
  cmake --build --preset default --target olvar olvar-cli olvar_data olvar_who_table \
    olvar_ethiopian_dat olvar_demo_survey olvar_man_page
  rm -rf build/package
  (cd build && cpack -G DEB -B package >/dev/null)
  ls build/package/*.deb
}

# Installs the package, uses the installed copy as a user would (a user who cannot write to the
# installed folder, so that a read-only install is tried too), checks the desktop entry and the
# MIME type, and removes the package, leaving the machine as it was.
check_package() {
  local deb sudo="" scratch status=0
  deb=$(ls build/package/*.deb)
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  if dpkg-query -W -f='${Status}' olvar 2>/dev/null | grep -q "install ok installed"; then
    echo "olvar is installed already; package-check leaves an existing install alone" >&2
    return 1
  fi
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "./$deb" >/dev/null
  scratch=$(mktemp -d)
  chmod 777 "$scratch"
  as_user() { $sudo runuser -u nobody -- env -i HOME="$scratch" PATH=/usr/bin:/bin LC_ALL=C "$@"; }
  check_installed() {
    [ "$(command -v olvar-cli)" = /usr/bin/olvar-cli ] || return 1
    [ -x /usr/bin/olvar ] || return 1
    as_user olvar-cli --help | grep -q plausibility || return 1
    as_user olvar-cli plausibility /usr/share/olvar/examples/demo.as -o "$scratch/check.rtf" ||
      return 1
    grep -q "Plausibility check" "$scratch/check.rtf" || return 1
    ls /usr/share/man/man1/olvar-cli.1* >/dev/null || return 1
    desktop-file-validate /usr/share/applications/olvar.desktop || return 1
    cp /usr/share/olvar/examples/demo.as "$scratch/survey.as"
    [ "$(as_user xdg-mime query filetype "$scratch/survey.as")" = application/x-olvar-survey ] ||
      return 1
    echo "package-check: installed, used and checked $deb"
  }
  check_installed || { echo "package-check: the installed package failed a check" >&2; status=1; }
  DEBIAN_FRONTEND=noninteractive $sudo apt-get purge -y -qq olvar >/dev/null
  rm -rf "$scratch"
  if [ -e /usr/share/olvar ] || [ -e /usr/bin/olvar-cli ] || [ -e /usr/share/applications/olvar.desktop ]; then
    echo "package-check: the removal left files behind" >&2
    status=1
  fi
  return $status
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
  package)
    install_missing "${packages[@]}" "${package_packages[@]}"
    build_package
    ;;
  package-check)
    install_missing "${packages[@]}" "${package_packages[@]}"
    build_package
    check_package
    ;;
  *)
    echo "usage: bash tools/dev.sh run|test|asan|package|package-check" >&2
    exit 2
    ;;
esac
