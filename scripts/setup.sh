#!/usr/bin/env bash
# Installs what Brindle's build, tests, run, demo and benchmark commands need
# from Debian's packages. Idempotent: installs only what is missing. Run as root.
set -euo pipefail

need=()
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
fail() {
    echo "setup: $1" >&2
    echo "setup: run this as root on Debian, with access to Debian's package archive." >&2
    exit 1
}

# wine32 is an i386 package; it installs on any amd64 machine, also where
# the kernel cannot run it.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386 || fail "adding the i386 architecture failed"
fi

for p in cmake make \
         g++-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-i686-dev \
         g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev \
         wine wine32:i386 wine64 xvfb xauth x11-utils googletest imagemagick \
         fonts-wine fonts-freefont-ttf fp-utils libchm-bin python3 python3-pefile; do
    have_pkg "$p" || need+=("$p")
done

if [ ${#need[@]} -gt 0 ]; then
    echo "setup: installing ${need[*]}"
    export DEBIAN_FRONTEND=noninteractive
    log=$(mktemp)
    if ! apt-get update -qq >"$log" 2>&1; then
        cat "$log" >&2
        fail "apt-get update failed (above)"
    fi
    if ! apt-get install -y -qq --no-install-recommends "${need[@]}" >"$log" 2>&1; then
        cat "$log" >&2
        fail "installing ${need[*]} failed (above)"
    fi
    rm -f "$log"
fi
# Debian's wine package normally links "wine" on PATH to its launcher.
if ! command -v wine >/dev/null 2>&1 && [ -x /usr/bin/wine-stable ]; then
    ln -sf /usr/bin/wine-stable /usr/local/bin/wine
fi
echo "setup: toolchain ready"
