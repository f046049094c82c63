#!/usr/bin/env bash
# Sets up a Debian 12 machine, builds Vellumark twice (normal, and with
# AddressSanitizer + UndefinedBehaviorSanitizer) and runs every test in both.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

bash scripts/build.sh build
(cd build && ctest --output-on-failure -j "$(nproc)")

bash scripts/build.sh build-asan -DVELLUMARK_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure -j "$(nproc)")

# A short run of each libFuzzer target over its corpus (clang++, ASan, UBSan).
bash scripts/fuzz.sh -max_total_time=10
