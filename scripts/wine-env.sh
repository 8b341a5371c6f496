# Sourced by the scripts that run Windows programs: a fresh Wine prefix in the
# build folder, an emulated floppy drive A:, and a virtual display.

wine_prefix_env() {
    export WINEPREFIX=$1/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
}

# Drive A: is removable; its "disks" are folders under $BRINDLE_DRIVES, and a
# small tmpfs ($BRINDLE_DRIVES/small, 2 MiB) stands for a nearly full disk.
# Inserting a disk is re-pointing the dosdevices/a: link.
setup_drives() {
    export BRINDLE_DRIVES=$1/drives
    if mountpoint -q "$BRINDLE_DRIVES/small" 2>/dev/null; then umount "$BRINDLE_DRIVES/small"; fi
    rm -rf "$BRINDLE_DRIVES"
    mkdir -p "$BRINDLE_DRIVES/empty" "$BRINDLE_DRIVES/small"
    if ! mount -t tmpfs -o size=2m tmpfs "$BRINDLE_DRIVES/small" 2>/dev/null; then
        echo "note: cannot mount a small tmpfs (not root?); tests that need a full disk skip" >&2
        rmdir "$BRINDLE_DRIVES/small"
    fi
    ln -sfn "$BRINDLE_DRIVES/empty" "$WINEPREFIX/dosdevices/a:"
    wine reg add 'HKLM\Software\Wine\Drives' /v 'a:' /d floppy /f >/dev/null 2>&1
    # Window frames drawn by Wine itself, for screenshots without a window manager.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
}

# Wine draws the buttons of window captions with its Marlett font. Debian
# ships it in fonts-wine (/usr/share/wine/fonts), but Wine 8 does not load
# fonts from there, so the prefix gets a copy in its own Fonts folder.
add_marlett_font() {
    cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
}

start_display() {
    if [ -n "${BRINDLE_KEEP_DISPLAY:-}" ] && [ -n "${DISPLAY:-}" ]; then return; fi
    local n
    for n in $(seq 90 120); do
        [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || break
    done
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    export DISPLAY=":$n"
    for _ in $(seq 1 100); do
        [ -e "/tmp/.X11-unix/X$n" ] && break
        sleep 0.1
    done
}

start_test_environment() {
    local build_dir=$1
    wine_prefix_env "$build_dir"
    wineserver -k >/dev/null 2>&1 || true
    rm -rf "$WINEPREFIX"
    start_display
    wineboot -i >/dev/null 2>&1
    add_marlett_font
    setup_drives "$build_dir"
    wineserver -w
}

stop_test_environment() {
    wineserver -k >/dev/null 2>&1 || true
    if [ -n "${XVFB_PID:-}" ]; then kill "$XVFB_PID" 2>/dev/null || true; fi
    if [ -n "${BRINDLE_DRIVES:-}" ] && mountpoint -q "$BRINDLE_DRIVES/small" 2>/dev/null; then
        umount "$BRINDLE_DRIVES/small" || true
    fi
}
