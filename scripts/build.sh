#!/usr/bin/env bash
# Configures and builds everything (Brindle, the combiner, the tests) into
# BUILD_DIR (default: build/ in the source tree).
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${BUILD_DIR:-$source_dir/build}
cmake -S "$source_dir" -B "$build_dir" \
    -DCMAKE_TOOLCHAIN_FILE="$source_dir/cmake/i686-w64-mingw32.cmake" \
    -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build_dir" -j "$(nproc)"
