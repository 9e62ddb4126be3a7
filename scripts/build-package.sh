#!/bin/sh
# Builds the Debian package: installs what is missing, builds the program in
# build-package/ (Release) and makes build-package/talvessa_<version>_<arch>.deb,
# which installs with: apt-get install ./build-package/talvessa_*.deb
set -e
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh
cmake -S . -B build-package -DCMAKE_BUILD_TYPE=Release -DTALVESSA_BENCH=OFF >/dev/null
cmake --build build-package -j"$(nproc)" --target talvessa talvessa_icons talvessa_docs
cd build-package
cpack -G DEB
ls "$PWD"/talvessa_*.deb
