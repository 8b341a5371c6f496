#!/usr/bin/env bash
# A demo without a desktop: builds Brindle, then on a virtual display (Xvfb)
# splits a sample file through Brindle's window and rebuilds it with the
# Create_<name>.exe written beside the pieces, saving screenshots on the way,
# and prints where they are. It uses a Wine prefix of its own under
# the build folder (demo/), so it does not disturb the tests or scripts/run.sh.
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
export BUILD_DIR=${BUILD_DIR:-$source_dir/build}

"$source_dir/scripts/setup.sh"
# shellcheck source=scripts/wine-env.sh
source "$source_dir/scripts/wine-env.sh"
choose_word_sizes demo first
"$source_dir/scripts/build.sh" "$WORD_SIZES"
build_dir=$(build_dir_of "$WORD_SIZES")

demo_dir=$build_dir/demo
mkdir -p "$demo_dir"
rm -rf "$demo_dir/screenshots"
echo "demo: starting a virtual display and a Wine prefix in $demo_dir ($WORD_SIZES build)"
trap stop_test_environment EXIT
start_test_environment "$demo_dir" "$WORD_SIZES"

status=0
"$WINE" "$build_dir/tests/e2e/gui_driver.exe" "$source_dir/tests/e2e/demo/split_and_rebuild.txt" \
    BUILD="$demo_dir" \
    BRINDLE="$build_dir/app/main_window/Brindle.exe" \
    COMBINER="$build_dir/CombinePieces/CombinePieces.exe" || status=$?

work=$demo_dir/e2e_work/split_and_rebuild
echo
if [ "$status" -eq 0 ]; then
    echo "demo: the sample file was split and rebuilt byte for byte."
else
    echo "demo: a step failed (see above)."
fi
echo "demo: the sample file:  $work/sample/"
echo "demo: pieces and the rebuilt file:  $work/pieces/"
ls -l "$work/pieces" 2>/dev/null | sed 's/^/      /' || true
echo "demo: screenshots:"
ls "$demo_dir"/screenshots/*.png 2>/dev/null | sed 's/^/      /' || true
exit "$status"
