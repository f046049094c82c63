#!/usr/bin/env bash
# Sets up a Debian 12 machine, builds Vellumark twice (normal, and with
# AddressSanitizer + UndefinedBehaviorSanitizer) and runs every test in both.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

bash scripts/build.sh build -DCMAKE_BUILD_TYPE=Release
(cd build && ctest --output-on-failure -j "$(nproc)")

# -O1 -g1 keeps the sanitizer build and its run quick while keeping line numbers in reports.
bash scripts/build.sh build-asan -DVELLUMARK_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1"
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure -j "$(nproc)")

# A short run of each libFuzzer target over its corpus (clang++, ASan, UBSan).
bash scripts/fuzz.sh -max_total_time=10
