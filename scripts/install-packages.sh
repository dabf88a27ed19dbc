#!/usr/bin/env bash
# Installs the Debian packages a task needs, only those that are missing.
#   scripts/install-packages.sh build   what building and the demo need
#   scripts/install-packages.sh test    that, plus what the tests need
# Needs root (apt-get) when anything is missing.
set -euo pipefail

# The build configures its tests and benchmarks too, so GoogleTest, Google
# Benchmark and matio are needed to build at all; help2man writes
# call_plugin's manual page; ISA-L inflates compressed data (zlib without it).
build_packages=(cmake ninja-build g++ pkg-config zlib1g-dev libisal-dev libhdf5-dev
  googletest libgtest-dev libbenchmark-dev libmatio-dev help2man)
# dpkg-dev and file: cpack's Debian packages (dpkg-shlibdeps); groff-base:
# the install test's check of the manual pages; python3-jsonschema: the check
# of kestrum-explain's JSON report against its schema.
test_packages=(matio-tools python3-h5py python3-numpy python3-scipy python3-jsonschema octave liboctave-dev valgrind
  g++-mingw-w64-i686 libz-mingw-w64-dev wine wine32:i386
  clang libclang-rt-14-dev
  dpkg-dev file groff-base)

case "${1:-build}" in
  build) wanted=("${build_packages[@]}") ;;
  test) wanted=("${build_packages[@]}" "${test_packages[@]}") ;;
  *) echo "usage: $0 build|test" >&2; exit 2 ;;
esac

is_installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q '^install ok installed$'
}

missing=()
for package in "${wanted[@]}"; do
  is_installed "$package" || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing packages: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
# wine32 is a package of the i386 architecture.
if [[ " ${missing[*]} " == *" wine32:i386 "* ]] &&
  ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
apt-get update
apt-get install -y --no-install-recommends "${missing[@]}"
