#!/usr/bin/env bash
# Configures and builds everything (Brindle, the combiner, the tests) for the
# given word sizes (i686, x86_64; default both), each in its own folder under
# BUILD_DIR (default: build/ in the source tree): build/i686, build/x86_64.
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
export BUILD_DIR=${BUILD_DIR:-$source_dir/build}
# shellcheck source=scripts/word-size.sh
source "$source_dir/scripts/word-size.sh"

# shellcheck disable=SC2206
word_sizes=(${@:-$WORD_SIZES_BUILT})
for word_size in "${word_sizes[@]}"; do
    build_dir=$(build_dir_of "$word_size")
    toolchain="$source_dir/cmake/$word_size-w64-mingw32.cmake"
    if ! log=$(cmake -S "$source_dir" -B "$build_dir" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
                     -DCMAKE_BUILD_TYPE=Release 2>&1); then
        echo "$log" >&2
        echo "build: configuring the $word_size build in $build_dir failed (above)." >&2
        echo "build: scripts/setup.sh installs the compilers; remove $build_dir to start afresh." >&2
        exit 1
    fi
    if ! cmake --build "$build_dir" -j "$(nproc)"; then
        echo "build: building the $word_size programs in $build_dir failed (above)." >&2
        exit 1
    fi
done
