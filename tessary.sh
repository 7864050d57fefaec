#!/bin/bash
# The two commands of a first hour, on a Debian 12 machine with nothing but this
# folder (no make, no git needed), as root or through sudo:
#   ./tessary.sh run      install what is missing, build the programs, open the demo
#                         blog in the desktop program (without a display: the command
#                         line's headless demo)
#   ./tessary.sh test     install what is missing, build the programs and the tests,
#                         run every test through ctest
#   ./tessary.sh package  build the two programs and the Debian package
#                         build/tessary_<version>_<arch>.deb
# From the environment: BUILD (the build folder, default build), BUILD_TYPE
# (RelWithDebInfo), CMAKE_FLAGS (more cmake options; the benchmarks are built only
# when they ask for them with -DTESSARY_BENCH=ON), DEPS (the package set to install:
# build, test or ci; the command's own by default).
set -euo pipefail
cd "$(dirname "$0")"
BUILD=${BUILD:-build}
BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo}
CMAKE_FLAGS=${CMAKE_FLAGS:-}

usage() { sed -n '2,16s/^# \{0,1\}//p' "$0" >&2; }
case ${1:-} in
  run | package) deps=build ;;
  test) deps=test ;;
  *) usage; exit 2 ;;
esac
command=$1

mkdir -p "$BUILD"
bash tools/install-deps.sh "${DEPS:-$deps}" "$BUILD/install-deps.log"

# shellcheck disable=SC2086  # CMAKE_FLAGS holds several words
if ! cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE="$BUILD_TYPE" -DTESSARY_BENCH=OFF $CMAKE_FLAGS \
     > "$BUILD/configure.log" 2>&1; then
  cat "$BUILD/configure.log" >&2
  exit 1
fi

case $command in
  run)
    if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
      cmake --build "$BUILD" --target tessary-cli
      echo "No display found: running the headless demo instead."
      exec "$BUILD/bin/tessary-cli" demo
    fi
    cmake --build "$BUILD" --target tessary tessary-cli
    [ -f "$BUILD/bin/demo.zdb" ] || "$BUILD/bin/tessary-cli" demo
    exec "$BUILD/bin/tessary" "$BUILD/bin/demo.zdb"
    ;;
  test)
    cmake --build "$BUILD"
    cd "$BUILD" && exec ctest --output-on-failure -j2
    ;;
  package)
    cmake --build "$BUILD" --target tessary tessary-cli
    cd "$BUILD" && exec cpack -G DEB
    ;;
esac
