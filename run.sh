#!/bin/sh
# Installs what is missing, builds Talvessa and starts it.
# With --demo it starts it against a local demo network (scripts/demo-network).
set -e
cd "$(dirname "$0")"
sh scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target talvessa
if [ "${1:-}" = "--demo" ]; then
    exec bash scripts/demo-network run ./build/src/talvessa --server localhost
fi
exec ./build/src/talvessa
