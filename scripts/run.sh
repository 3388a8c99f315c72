#!/usr/bin/env bash
# Sets everything up on a fresh Debian 12 machine, builds Vireo Decoder and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"
exec build/vireo-decoder
