#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang++ (ASan and UBSan on) in
# build-fuzz/ and runs each over its corpus in fuzz/corpus/<target>/.
#
#   scripts/fuzz.sh [TARGET...] [libFuzzer options...]
#                                   default: every target, -max_total_time=10 each
#   scripts/fuzz.sh -runs=10000000  the long run: ten million executions each
#   scripts/fuzz.sh cdx expr -runs=10000000
#                                   the long run of two targets (dbf fpt cdx expr
#                                   search profile text_file)
#
# New inputs the fuzzer finds go to build-fuzz/corpus/<target>/, never into
# the committed corpus; a crash leaves its input in build-fuzz/crashes/.
set -euo pipefail
cd "$(dirname "$0")/.."

need=()
command -v clang++ >/dev/null || need+=(clang)
dpkg-query -W -f='${Status}' libclang-rt-14-dev 2>/dev/null | grep -q 'install ok installed' ||
    need+=(libclang-rt-14-dev)
if ((${#need[@]})); then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${need[@]}"
fi

all=(dbf fpt cdx expr search profile text_file)
targets=()
while (($#)) && [[ $1 != -* ]]; do
    [[ " ${all[*]} " == *" $1 "* ]] || { echo "fuzz.sh: no target $1 (${all[*]})" >&2; exit 2; }
    targets+=("$1")
    shift
done
((${#targets[@]})) || targets=("${all[@]}")
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DVELLUMARK_FUZZ=ON -DVELLUMARK_WITH_QT=OFF >/dev/null
cmake --build build-fuzz --target "${targets[@]/#/fuzz_}" fuzz_write_seeds

options=("$@")
((${#options[@]})) || options=(-max_total_time=10)
mkdir -p build-fuzz/crashes
for target in "${targets[@]}"; do
    work=build-fuzz/corpus/$target
    mkdir -p "$work"
    log=build-fuzz/fuzz_$target.log
    echo "fuzz_$target ${options[*]}"
    if ! build-fuzz/fuzz/fuzz_"$target" "${options[@]}" -print_final_stats=1 \
        -artifact_prefix=build-fuzz/crashes/"$target"- "$work" fuzz/corpus/"$target" >"$log" 2>&1; then
        tail -n 40 "$log"
        exit 1
    fi
    grep -E '^(#[0-9]+[[:space:]]+DONE|stat::(number_of_executed_units|average_exec_per_sec))' \
        "$log" || true
done
