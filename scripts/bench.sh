#!/usr/bin/env bash
# Installs the benchmark's corpus from Debian's packages (dict-gcide and
# linux-doc-6.1, only when missing) besides what the build needs, builds the
# full-text benchmark and runs it: scripts/bench.sh [bench_fts options...]
# (see build/tools/bench_fts --help). The tests never need any of this.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

missing=()
for p in dict-gcide linux-doc-6.1; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi

cmake -S . -B build -G Ninja >/dev/null
cmake --build build --target bench_fts spare_copies
exec build/tools/bench_fts "$@"
