#!/usr/bin/env bash
# Runs every test: formatting, the whole suite (core, Qt shell and the end-to-end tests against a
# real TNC) on a normal build, then the core and shell tests again under AddressSanitizer and
# UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
jobs=$(nproc)

git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVIREO_WERROR=ON
cmake --build build -j"$jobs"
(cd build && ctest --output-on-failure -j"$jobs")

cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DVIREO_SANITIZE=ON -DVIREO_WERROR=ON
cmake --build build-sanitize -j"$jobs"
(cd build-sanitize && ctest --output-on-failure -j"$jobs" -LE e2e)
