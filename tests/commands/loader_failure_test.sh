#!/usr/bin/env bash
# The commands on machines whose Wine loaders cannot start (stand-ins on PATH that fail as the
# 32-bit loader fails on a kernel without 32-bit emulation): without a 32-bit loader the word size
# is 64-bit, with a one-line notice; without any loader the test command says what failed and
# stops before building.
# Usage: loader_failure_test.sh SOURCE_DIR
set -u
source_dir=$1
unset BRINDLE_ARCH
fail() { echo "FAIL: $*"; exit 1; }

stand_ins=$(mktemp -d)
trap 'rm -rf "$stand_ins"' EXIT
broken_loader() {
    printf '#!/bin/sh\necho "%s: cannot execute binary file: Exec format error" >&2\nexit 126\n' \
        "/usr/lib/wine/$1" >"$stand_ins/$1"
    chmod +x "$stand_ins/$1"
}
broken_loader wine
notice=$(PATH="$stand_ins:$PATH" bash -c "source '$source_dir/scripts/word-size.sh'
    choose_word_sizes test all; echo \"sizes: \$WORD_SIZES\"" 2>&1)
[ "$notice" = "test: this machine cannot run 32-bit programs (wine --version failed: /usr/lib/wine/wine: cannot execute binary file: Exec format error); only the 64-bit build runs here, under wine64; the 32-bit programs are built but not run.
sizes: x86_64" ] || fail "without a 32-bit loader: $notice"

broken_loader wine64
output=$(PATH="$stand_ins:$PATH" BUILD_DIR="$stand_ins/build" timeout 300 \
    bash "$source_dir/scripts/test.sh" 2>&1) &&
    fail "without any loader the test command passed: $output"
echo "$output" | grep -q "^test: no Wine loader starts here: wine --version failed: .*; wine64 --version failed: /usr/lib/wine/wine64: cannot execute binary file: Exec format error$" ||
    fail "no plain message without any loader: $output"
[ ! -e "$stand_ins/build" ] || fail "it started building"
echo "PASS"
