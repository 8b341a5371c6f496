#!/usr/bin/env bash
# Builds Brindle and starts it under Wine on the user's display, in a Wine
# prefix of its own under the build folder (the tests reset theirs), so the
# recent lists and the window position survive from one run to the next.
# BRINDLE_RUN_DIR chooses another folder for that prefix. It starts the
# 32-bit build where this machine runs 32-bit programs, the 64-bit one
# otherwise (BRINDLE_ARCH chooses).
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
export BUILD_DIR=${BUILD_DIR:-$source_dir/build}

if [ -z "${DISPLAY:-}" ]; then
    echo "run: there is no display (DISPLAY is not set), so Brindle's window cannot be shown." >&2
    echo "run: start this from a desktop session, or run the tests with scripts/test.sh." >&2
    echo "run: for a demo without a display, run: bash scripts/demo.sh (splits and rebuilds a sample file on a virtual display and saves screenshots)" >&2
    exit 1
fi

"$source_dir/scripts/setup.sh"
# shellcheck source=scripts/wine-env.sh
source "$source_dir/scripts/wine-env.sh"
choose_word_sizes run first
"$source_dir/scripts/build.sh" "$WORD_SIZES"
build_dir=$(build_dir_of "$WORD_SIZES")
run_dir=${BRINDLE_RUN_DIR:-$build_dir/run}
wine_prefix_env "$run_dir" "$WORD_SIZES"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "run: making a Wine prefix in $WINEPREFIX (once)"
    mkdir -p "$run_dir"
fi
use_wine_prefix
exec "$WINE" "$build_dir/app/main_window/Brindle.exe"
