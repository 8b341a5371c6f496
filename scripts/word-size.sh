# Sourced by the commands: which word sizes this machine runs, and the Wine
# loader and build folder of each.
#
# The release programs are 32-bit (i686); the same sources build as 64-bit
# programs (x86_64) too. Some kernels run no 32-bit code at all (32-bit
# emulation switched off): there the 32-bit Wine loader cannot even start,
# while wine64 still runs 64-bit Windows programs.
# BRINDLE_ARCH=i686 or BRINDLE_ARCH=x86_64 picks one word size.

WORD_SIZES_BUILT="i686 x86_64"

# The Wine loader of a word size. Debian's "wine" starts the 32-bit loader;
# its 64-bit loader is not on PATH unless someone put it there.
wine_loader_of() {
    case $1 in
        i686) echo wine ;;
        x86_64)
            if command -v wine64 >/dev/null 2>&1; then echo wine64; else echo /usr/lib/wine/wine64; fi ;;
        *) echo "unknown word size '$1'" >&2; return 1 ;;
    esac
}

# Prints nothing and succeeds when the loader starts; otherwise prints why not.
loader_failure() {
    local loader output
    loader=$(wine_loader_of "$1") || return 1
    if output=$("$loader" --version 2>&1); then return 1; fi
    echo "$loader --version failed: ${output:-no output}"
}

# The build folder of a word size, under BUILD_DIR (default build/).
build_dir_of() {
    echo "$BUILD_DIR/$1"
}

# Sets WORD_SIZES to the word sizes that COMMAND runs, 32-bit first; with
# ALL ("all") every word size this machine runs, otherwise only the first.
# Exits with a message when the chosen one cannot run here.
choose_word_sizes() {
    local command=$1 how_many=$2 why why64
    case "${BRINDLE_ARCH:-}" in
        i686 | x86_64)
            if why=$(loader_failure "$BRINDLE_ARCH"); then
                echo "$command: BRINDLE_ARCH=$BRINDLE_ARCH, but this machine cannot run $BRINDLE_ARCH Windows programs: $why" >&2
                [ "$BRINDLE_ARCH" = i686 ] &&
                    echo "$command: the kernel may run no 32-bit code; BRINDLE_ARCH=x86_64 (or none) uses the 64-bit build." >&2
                exit 1
            fi
            WORD_SIZES=$BRINDLE_ARCH
            ;;
        "")
            if ! why=$(loader_failure i686); then
                WORD_SIZES="i686 x86_64"
            elif ! why64=$(loader_failure x86_64); then
                WORD_SIZES=x86_64
                echo "$command: this machine cannot run 32-bit programs ($why); only the 64-bit build runs here, under wine64; the 32-bit programs are built but not run." >&2
            else
                echo "$command: no Wine loader starts here: $why; $why64" >&2
                echo "$command: install Debian's wine, wine64 and wine32:i386 (scripts/setup.sh does) and try again." >&2
                exit 1
            fi
            ;;
        *)
            echo "$command: BRINDLE_ARCH must be i686 or x86_64, not '$BRINDLE_ARCH'." >&2
            exit 1
            ;;
    esac
    if [ "$how_many" != all ]; then WORD_SIZES=${WORD_SIZES%% *}; fi
}
