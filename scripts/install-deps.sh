#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing Vireo Decoder need.
set -euo pipefail
SUDO=
[ "$(id -u)" = 0 ] || SUDO=sudo
packages=(cmake make g++ qt6-base-dev libgtest-dev libbenchmark-dev clang-format
          xvfb xauth direwolf sox iproute2 util-linux libxml2-utils gdal-bin curl dpkg-dev file
          python3 clang libclang-rt-14-dev)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    $SUDO env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
