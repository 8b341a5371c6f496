# Sourced by the scripts that run Windows programs: a fresh Wine prefix in the
# build folder, an emulated floppy drive A:, and a virtual display. Every step
# that fails says what failed and what to do, and returns non-zero.
# shellcheck source=scripts/word-size.sh
source "$(dirname "${BASH_SOURCE[0]}")/word-size.sh"

# wine_prefix_env FOLDER WORD_SIZE: WINE is the loader of that word size and
# WINEPREFIX a prefix in FOLDER.
wine_prefix_env() {
    export WINEPREFIX=$1/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    # Wine names Linux files in the locale's character set; without a UTF-8
    # locale (a bare root shell has none) names above 0x7F cannot be made.
    export LC_ALL=C.UTF-8
    WINE=$(wine_loader_of "$2")
    export WINE
    # Programs started by Wine itself (wineboot, reg) go through the same loader.
    if [ "$2" = x86_64 ]; then export WINELOADER=$WINE; else unset WINELOADER; fi
}

# Runs a set-up step quietly; when it fails, prints its output and what failed.
quiet_step() {
    local what=$1 output
    shift
    if ! output=$("$@" 2>&1); then
        echo "$output" >&2
        echo "set-up: $what failed: $*" >&2
        return 1
    fi
}

make_wine_prefix() {
    if ! quiet_step "making the Wine prefix $WINEPREFIX" "$WINE" wineboot -i; then
        echo "set-up: check that '$WINE --version' works; scripts/setup.sh installs Wine." >&2
        return 1
    fi
    add_marlett_font && add_tahoma_stand_in
}

# For the prefixes kept from one command to the next (scripts/run.sh, the
# benchmark's): made when missing; one made before the Tahoma stand-in gets it.
use_wine_prefix() {
    if [ -f "$WINEPREFIX/system.reg" ]; then add_tahoma_stand_in; else make_wine_prefix; fi
}

# Drive A: is removable; its "disks" are folders under $BRINDLE_DRIVES, and a
# small tmpfs ($BRINDLE_DRIVES/small, 2 MiB) stands for a nearly full disk.
# Inserting a disk is re-pointing the dosdevices/a: link.
setup_drives() {
    export BRINDLE_DRIVES=$1/drives
    if mountpoint -q "$BRINDLE_DRIVES/small" 2>/dev/null; then umount "$BRINDLE_DRIVES/small"; fi
    rm -rf "$BRINDLE_DRIVES"
    mkdir -p "$BRINDLE_DRIVES/empty" "$BRINDLE_DRIVES/small"
    if ! quiet_step "mounting a 2 MiB tmpfs, the nearly full disk of the tests," \
            mount -t tmpfs -o size=2m tmpfs "$BRINDLE_DRIVES/small"; then
        echo "set-up: run the command as root (it mounts a small tmpfs for the disk-full tests)." >&2
        return 1
    fi
    ln -sfn "$BRINDLE_DRIVES/empty" "$WINEPREFIX/dosdevices/a:"
    quiet_step "making drive A: a floppy drive" \
        "$WINE" reg add 'HKLM\Software\Wine\Drives' /v 'a:' /d floppy /f || return 1
    # Window frames drawn by Wine itself, for screenshots without a window manager.
    quiet_step "letting Wine draw the window frames" \
        "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f || return 1
}

# Wine draws the buttons of window captions with its Marlett font. Debian
# ships it in fonts-wine (/usr/share/wine/fonts), but Wine 8 does not load
# fonts from there, so the prefix gets a copy in its own Fonts folder.
add_marlett_font() {
    quiet_step "copying Wine's Marlett font (package fonts-wine) into the prefix" \
        cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
}

# The dialogs ask for Tahoma 8, and Wine draws message boxes, menus and
# captions with Tahoma too (MS Shell Dlg is Tahoma by its substitutes). The
# prefix has no Tahoma: Wine's own (fonts-wine) is not loaded, as above, and is
# wider than Windows' anyway; without one Wine draws with its first sans-serif
# face (DejaVu Sans here), which is wider still, and labels lose their ends.
# FreeSans (fonts-freefont-ttf) gives the dialog units of Tahoma 8 (6 x 13
# pixels) and fits every label, so the prefix takes it for Tahoma.
add_tahoma_stand_in() {
    grep -qF 'Software\\Wine\\Fonts\\Replacements' "$WINEPREFIX/user.reg" 2>/dev/null && return 0
    quiet_step "naming FreeSans (package fonts-freefont-ttf) the prefix's Tahoma" \
        "$WINE" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Tahoma /d FreeSans /f
}

start_display() {
    if [ -n "${BRINDLE_KEEP_DISPLAY:-}" ] && [ -n "${DISPLAY:-}" ]; then return; fi
    # Xvfb takes the first free display number itself and writes it to
    # descriptor 3 once it listens: no guessing from files in /tmp, which
    # misses servers of other file systems (a chroot) on the same machine.
    local number_file log n=""
    number_file=$(mktemp) log=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$number_file" >"$log" 2>&1 &
    XVFB_PID=$!
    for _ in $(seq 1 100); do
        n=$(cat "$number_file")
        [ -n "$n" ] && break
        kill -0 "$XVFB_PID" 2>/dev/null || break
        sleep 0.1  # polling for the display's number, at most 10 s
    done
    rm -f "$number_file"
    if [ -n "$n" ]; then
        export DISPLAY=":$n"
        rm -f "$log"
        return 0
    fi
    cat "$log" >&2
    rm -f "$log"
    echo "set-up: the virtual display (Xvfb) did not start (its output is above)." >&2
    echo "set-up: scripts/setup.sh installs xvfb." >&2
    return 1
}

# start_test_environment BUILD_FOLDER WORD_SIZE
start_test_environment() {
    local build_dir=$1
    wine_prefix_env "$build_dir" "$2"
    # Tests that need root, drive A: or a small disk fail, not skip, without them.
    export BRINDLE_TEST_COMMAND=1
    wineserver -k >/dev/null 2>&1 || true
    rm -rf "$WINEPREFIX"
    start_display || return 1
    make_wine_prefix || return 1
    setup_drives "$build_dir" || return 1
    wineserver -w
    keep_wine_server_up
}

# Wine's services start with the first program of a prefix and inherit its
# output, and may outlive it: ctest then waits for that test's output to
# close, and a timed program shares the processor with their start-up.
# Started here, with no output, under a server that stays up until
# stop_test_environment, they never hold a test's output and are settled
# before anything is timed.
keep_wine_server_up() {
    wineserver -p
    "$WINE" cmd /c exit </dev/null >/dev/null 2>&1 || true
}

stop_test_environment() {
    wineserver -k >/dev/null 2>&1 || true
    if [ -n "${XVFB_PID:-}" ]; then kill "$XVFB_PID" 2>/dev/null || true; fi
    XVFB_PID=
    if [ -n "${BRINDLE_DRIVES:-}" ] && mountpoint -q "$BRINDLE_DRIVES/small" 2>/dev/null; then
        umount "$BRINDLE_DRIVES/small" || true
    fi
}
