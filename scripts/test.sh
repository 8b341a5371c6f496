#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test under Wine
# on a virtual display. Works on a fresh Debian machine as root.
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
export BUILD_DIR=${BUILD_DIR:-$source_dir/build}

"$source_dir/scripts/setup.sh"
"$source_dir/scripts/build.sh"
# shellcheck source=scripts/wine-env.sh
source "$source_dir/scripts/wine-env.sh"
trap stop_test_environment EXIT
start_test_environment "$BUILD_DIR"

cd "$BUILD_DIR"
ctest --output-on-failure --timeout 1500 -j "$(nproc)" "$@"
