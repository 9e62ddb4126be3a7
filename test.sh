#!/bin/sh
# Installs what is missing, builds Talvessa and runs the whole test suite.
# BUILD_DIR, BUILD_TYPE and CMAKE_ARGS may name another build (CI uses them for
# the sanitizer build); TEST_JOBS is how many tests run at once.
set -e
cd "$(dirname "$0")"
sh scripts/install-deps.sh
BUILD_DIR=${BUILD_DIR:-build}
if [ -z "${BUILD_TYPE:-}" ]; then
    # -O2, as GCC 12 at -O3 warns falsely in several tests; line tables only
    # (-g1): backtraces keep their functions and lines, and the build is a
    # third cheaper and a fraction of the size.
    cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG" $CMAKE_ARGS >/dev/null
else
    cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE="$BUILD_TYPE" $CMAKE_ARGS >/dev/null
fi
cmake --build "$BUILD_DIR" -j"$(nproc)"
# The tests mostly wait (on servers, timers, the network; at two at once they
# keep a fifth of one core busy): two at once for each core, unless TEST_JOBS
# says otherwise (at three, a test that times a full socket buffer failed
# under the machine's load).
TEST_JOBS=${TEST_JOBS:-$(($(nproc) * 2))}
cd "$BUILD_DIR" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$TEST_JOBS" ${CTEST_ARGS:-}
