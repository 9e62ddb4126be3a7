#!/bin/sh
# Installs what is missing, builds Talvessa and starts it.
set -e
cd "$(dirname "$0")"
sh scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DTALVESSA_BENCH=OFF >/dev/null
cmake --build build -j"$(nproc)" --target talvessa
exec ./build/src/talvessa
