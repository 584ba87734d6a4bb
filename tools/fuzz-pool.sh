#!/usr/bin/env bash
# Builds the memory pool's libFuzzer target with clang under ASan+UBSan, then runs it on its corpus.
#
#   tools/fuzz-pool.sh [LIBFUZZER-OPTION...]     e.g. -max_total_time=600 -jobs=2
#
# The presets build with g++, and clang has no GBK execution character set, so this script compiles the few
# sources the pool needs itself (texts stay UTF-8, which the fuzzer never shows).
# Environment: DESKFLIP_FUZZ_BUILD (default <repo>/build/fuzz-pool). The corpus and any crash files stay there;
# replay a crash with any preset's tests/fuzz/pool_fuzz_replay --file <crash file>.
set -euo pipefail

readonly REPO=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
readonly BUILD=${DESKFLIP_FUZZ_BUILD:-$REPO/build/fuzz-pool}
readonly SANITIZERS=address,undefined

readonly SOURCES=(
    support/memory_pool.cpp support/pool_allocate.cpp support/pool_release.cpp
    support/private_heap.cpp support/critical_section_lock.cpp
    runtime/bindings.cpp runtime/fatal_error.cpp runtime/runtime_texts.cpp runtime/exit_hooks.cpp
    runtime/program_end.cpp runtime/memory.cpp runtime/static_image_posix.cpp runtime/native_target_substitute.cpp
    platform/substitute/critical_sections.cpp platform/substitute/heaps.cpp platform/substitute/kernel32.cpp
    platform/substitute/last_error.cpp platform/substitute/libraries.cpp platform/substitute/memory_fills.cpp
    platform/substitute/input_device.cpp platform/substitute/system_environment.cpp
    platform/substitute/text_copy.cpp
    tests/support/platform_calls.cpp tests/support/pool_checker.cpp
    tests/fuzz/pool_fuzz_driver.cpp tests/fuzz/pool_fuzz_libfuzzer.cpp
)

mkdir -p "$BUILD/obj" "$BUILD/corpus" "$BUILD/crashes"
# Any changed source or header since the last build compiles everything again: objects must agree on every class.
if [[ -f $BUILD/pool_fuzzer ]] &&
    [[ -n $(find "$REPO/support" "$REPO/runtime" "$REPO/platform" "$REPO/tests/support" "$REPO/tests/fuzz" \
        -newer "$BUILD/pool_fuzzer" -type f -print -quit) ]]; then
    rm -f "$BUILD"/obj/*.o
fi
objects=()
for source in "${SOURCES[@]}"; do
    object=$BUILD/obj/${source//\//_}.o
    objects+=("$object")
    if [[ ! -f $object ]]; then
        echo "fuzz-pool: compiling $source"
        clang++ -std=c++20 -O2 -g -fno-omit-frame-pointer -I"$REPO" \
            -fsanitize=fuzzer-no-link,$SANITIZERS -fno-sanitize-recover=all \
            -c "$REPO/$source" -o "$object"
    fi
done
clang++ -fsanitize=fuzzer,$SANITIZERS "${objects[@]}" -o "$BUILD/pool_fuzzer"

cd "$BUILD/crashes"
exec "$BUILD/pool_fuzzer" -max_len=16384 "$@" "$BUILD/corpus"
