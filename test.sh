#!/bin/sh
# Installs what is missing, builds Talvessa and runs the whole test suite.
# BUILD_DIR and CMAKE_ARGS may name another build (CI uses them for the sanitizer build).
set -e
cd "$(dirname "$0")"
sh scripts/install-deps.sh
BUILD_DIR=${BUILD_DIR:-build}
cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo} $CMAKE_ARGS >/dev/null
cmake --build "$BUILD_DIR" -j"$(nproc)"
cd "$BUILD_DIR" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2 ${CTEST_ARGS:-}
