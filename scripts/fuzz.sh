#!/usr/bin/env bash
# Coverage-guided fuzzing: builds the fuzz targets as libFuzzer targets with clang, AddressSanitizer
# and UndefinedBehaviorSanitizer in build-fuzz/, then runs each for a bounded time from its seed
# corpus (tests/fuzz/corpus/<target>). New inputs go to build-fuzz/corpus/<target>, never into
# the repository. A finding fails the script and leaves its input in build-fuzz/findings/<target>;
# once fixed, that input joins the target's corpus as a regression case.
#
#   scripts/fuzz.sh [seconds per target (default 45)]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-45}
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVIREO_LIBFUZZER=ON
cmake --build build-fuzz -j"${VIREO_JOBS:-$(nproc)}"
(cd build-fuzz && ctest --output-on-failure)  # every corpus input once
for corpus in tests/fuzz/corpus/*/; do
    target=$(basename "$corpus")
    mkdir -p "build-fuzz/corpus/$target" "build-fuzz/findings/$target"
    echo "== $target: ${seconds} s"
    "build-fuzz/tests/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix="build-fuzz/findings/$target/" -print_final_stats=1 \
        "build-fuzz/corpus/$target" "$corpus"
done
