#!/usr/bin/env bash
# A demo without a desktop: builds Brindle, then on a virtual display (Xvfb)
# runs the floppy journey of the journey tests: a sample file split through
# Brindle's window with a recovery piece onto four disks of the emulated drive
# A:, rebuilt by the Create_<name>.exe written beside the pieces although a
# piece is damaged, and again although it is lost; and the journey that
# cancels a split. Screenshots (ImageMagick) on the way, each cropped to its
# window, the pictures of docs/screenshots among them by name; prints where
# they are.
# It uses a Wine prefix of its own under the build folder (demo/), so it does
# not disturb the tests or scripts/run.sh. The journeys work in
# C:\users\Public\Documents\ of that prefix, so the pictures show the paths a
# Windows user has.
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
mkdir -p "$demo_dir/screenshots"
BRINDLE_SCREENSHOTS="$demo_dir/screenshots" BRINDLE_JOURNEY_FOLDER='C:\users\Public\Documents\' \
    "$WINE" "$build_dir/tests/journeys/journey_tests.exe" \
    --gtest_filter='Journey.FloppySplit*:Journey.Cancel*' || status=$?

echo
if [ "$status" -eq 0 ]; then
    echo "demo: the sample file was split onto three floppy disks and a fourth for the recovery piece;"
    echo "demo: with one byte of a piece changed, and with that piece lost, it was rebuilt byte for byte."
    echo "demo: a split held by Cancel's question went on after No and stopped after Yes; a restart kept the settings."
else
    echo "demo: a step failed (see above)."
fi
echo "demo: the disks of drive A:, each with its piece (the last one with the program):"
ls -l "$BRINDLE_DRIVES"/disk* 2>/dev/null | sed 's/^/      /' || true
echo "demo: screenshots:"
ls "$demo_dir"/screenshots/*.png 2>/dev/null | sed 's/^/      /' || true
exit "$status"
