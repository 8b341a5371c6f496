#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test under Wine
# on a virtual display. Works on a fresh Debian machine as root.
# Builds both word sizes and tests each one this machine runs, 32-bit first;
# BRINDLE_ARCH=i686 or x86_64 builds and tests that one only. Arguments go
# to ctest.
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
export BUILD_DIR=${BUILD_DIR:-$source_dir/build}

"$source_dir/scripts/setup.sh"
# shellcheck source=scripts/wine-env.sh
source "$source_dir/scripts/wine-env.sh"
choose_word_sizes test all
if [ -n "${BRINDLE_ARCH:-}" ]; then
    "$source_dir/scripts/build.sh" "$BRINDLE_ARCH"
else
    "$source_dir/scripts/build.sh"
fi

trap stop_test_environment EXIT
failed=() passed_count=0 failed_count=0
log=$(mktemp)
for word_size in $WORD_SIZES; do
    build_dir=$(build_dir_of "$word_size")
    echo "test: the $word_size build, in $build_dir"
    start_test_environment "$build_dir" "$word_size"
    if ! (cd "$build_dir" && ctest --output-on-failure --timeout 1500 -j "$(nproc)" "$@") 2>&1 |
            tee "$log"; then
        failed+=("$word_size")
    fi
    stop_test_environment
    # ctest's summary: "96% tests passed, 1 tests failed out of 27".
    read -r failures total < <(sed -n 's/.* tests passed, \([0-9]*\) tests\{0,1\} failed out of \([0-9]*\)$/\1 \2/p' "$log" | tail -1) || true
    failures=${failures:-0} total=${total:-0}
    passed_count=$((passed_count + total - failures))
    failed_count=$((failed_count + failures))
done
rm -f "$log"
if [ ${#failed[@]} -gt 0 ]; then
    echo "test: FAILED in the ${failed[*]} build" >&2
    echo "test: $passed_count passed, $failed_count failed"
    exit 1
fi
echo "test: every test passed in the build of $(echo "$WORD_SIZES" | sed 's/ / and /')"
echo "test: $passed_count passed, $failed_count failed"
