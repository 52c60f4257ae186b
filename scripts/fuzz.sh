#!/usr/bin/env bash
# Builds the fuzz targets with clang, AddressSanitizer and UndefinedBehaviorSanitizer, runs them
# once over the seed logs, then fuzzes them for FUZZ_SECONDS in all (default 120), shared between
# the targets. A broken property or a sanitizer report fails the run and leaves the input that
# broke it in build-fuzz/artifacts.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
PACKAGES+=(clang libclang-rt-14-dev)
install_missing
FUZZ_BUILD="${RUNTALLY_FUZZ_BUILD_DIR:-$REPO/build-fuzz}"
CC=clang CXX=clang++ cmake -S "$REPO" -B "$FUZZ_BUILD" -G Ninja -DRUNTALLY_FUZZ=ON \
    -DRUNTALLY_TESTS=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo
targets=(fuzz_scan fuzz_chunks fuzz_reports)
cmake --build "$FUZZ_BUILD" -j2 --target "${targets[@]}"
(cd "$FUZZ_BUILD" && ctest --output-on-failure -R _seeds)

each=$(( ${FUZZ_SECONDS:-120} / ${#targets[@]} ))
mkdir -p "$FUZZ_BUILD/artifacts"
for target in "${targets[@]}"; do
    corpus="$FUZZ_BUILD/corpus/$target"
    mkdir -p "$corpus"
    cp "$REPO"/tests/data/*.log "$REPO"/sample/userdata/*.log "$corpus/"
    echo "fuzzing $target for ${each}s"
    "$FUZZ_BUILD/fuzz/$target" "$corpus" -max_total_time="$each" -max_len=65536 \
        -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$FUZZ_BUILD/artifacts/" 2>&1 |
        grep -E '^(#[0-9]+ +DONE|Done|stat::number_of_executed_units|==[0-9]+==|property broken|SUMMARY)' || true
    test "${PIPESTATUS[0]}" -eq 0
done
