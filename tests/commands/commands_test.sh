#!/usr/bin/env bash
# The README's commands: the run command without a display says so plainly and fails, and on a
# display starts Brindle's main dialog under Wine; where the 32-bit Wine loader cannot start (a
# stand-in on PATH fails as it fails on a kernel without 32-bit emulation), the test command takes
# the 64-bit build, with a one-line notice.
# Usage: commands_test.sh SOURCE_DIR BUILD_DIR WORD_SIZE (DISPLAY from scripts/test.sh)
# BUILD_DIR is the word size's folder under the commands' build folder.
set -u
source_dir=$1
build_dir=$2
fail() { echo "FAIL: $*"; exit 1; }

stand_ins=$(mktemp -d)
trap 'rm -rf "$stand_ins"' EXIT
printf '#!/bin/sh\necho "%s" >&2\nexit 126\n' \
    "/usr/lib/wine/wine: cannot execute binary file: Exec format error" >"$stand_ins/wine"
chmod +x "$stand_ins/wine"
notice=$(PATH="$stand_ins:$PATH" bash -c "unset BRINDLE_ARCH
    source '$source_dir/scripts/word-size.sh'; choose_word_sizes test all
    echo \"sizes: \$WORD_SIZES\"" 2>&1)
[ "$notice" = "test: this machine cannot run 32-bit programs (wine --version failed: /usr/lib/wine/wine: cannot execute binary file: Exec format error); only the 64-bit build runs here, under wine64; the 32-bit programs are built but not run.
sizes: x86_64" ] || fail "without a 32-bit loader: $notice"

export BRINDLE_ARCH=$3 BUILD_DIR=${2%/*}
output=$(env -u DISPLAY bash "$source_dir/scripts/run.sh" 2>&1) &&
    fail "run.sh without a display exited with 0"
echo "$output" | grep -q "there is no display" || fail "no plain message without a display: $output"

[ -n "${DISPLAY:-}" ] || fail "this test needs the display that scripts/test.sh provides"
run_dir="$build_dir/run-script-test"
log="$build_dir/run-script-test.log"
rm -rf "$run_dir"
BRINDLE_RUN_DIR="$run_dir" bash "$source_dir/scripts/run.sh" >"$log" 2>&1 &
run_pid=$!
found=""
for _ in $(seq 1 600); do
    xwininfo -root -tree 2>/dev/null | grep -q '"Brindle 1.31"' && found=yes && break
    kill -0 "$run_pid" 2>/dev/null || break
    sleep 0.5  # polling for the window; the wait ends as soon as it exists
done
WINEPREFIX="$run_dir/wineprefix" wineserver -k >/dev/null 2>&1
wait "$run_pid" 2>/dev/null
[ -n "$found" ] || fail "no window \"Brindle 1.31\" appeared; run.sh said: $(cat "$log")"
rm -rf "$run_dir"
echo "PASS"
