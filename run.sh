#!/bin/sh
# Installs what is missing, builds Talvessa and starts it.
set -e
cd "$(dirname "$0")"
sh scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target talvessa
exec ./build/src/talvessa
