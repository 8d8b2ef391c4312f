#!/usr/bin/env bash
# Set-up, build and run Linkar on Debian.
#   ./setup.sh start   install what is missing, build (release), start Linkar
#   ./setup.sh test    install what is missing, build (release), run every test
#   ./setup.sh fuzz    build the fuzz targets with clang into build-fuzz/
set -euo pipefail
cd "$(dirname "$0")"

packages=(cmake ninja-build g++ pkg-config
          libgtest-dev libgmock-dev libbenchmark-dev libsqlite3-dev
          qt6-base-dev libboost-context-dev
          xvfb xauth)
packages+=(libwmf-bin fonts-urw-base35 poppler-utils fonts-liberation2)  # reports: page files to SVG (with its fonts), PDF to text and images in the tests; the report font
fuzz_packages=(clang libclang-rt-14-dev)

install_missing() {
  local missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
}

build() {
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build build -j "$(nproc)"
}

case "${1:-}" in
  start)
    install_missing "${packages[@]}"
    build
    shift
    exec ./build/app/main/linkar "$@"
    ;;
  test)
    install_missing "${packages[@]}"
    build
    ctest --test-dir build --output-on-failure -j "$(nproc)" --timeout 600
    ;;
  fuzz)
    install_missing "${packages[@]}" "${fuzz_packages[@]}"
    CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DLINKAR_FUZZ=ON -DLINKAR_TESTS=OFF -DLINKAR_BENCH=OFF -DLINKAR_GUI=OFF >/dev/null
    cmake --build build-fuzz -j "$(nproc)"
    ;;
  *)
    echo "usage: $0 start|test|fuzz" >&2
    exit 64
    ;;
esac
