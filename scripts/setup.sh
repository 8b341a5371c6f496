#!/usr/bin/env bash
# Installs what Brindle's build and tests need from Debian's packages.
# Idempotent: installs only what is missing. Run as root.
set -euo pipefail

need=()
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
    NEED_UPDATE=1
fi

for p in cmake g++-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-i686-dev \
         wine wine32:i386 wine64 xvfb xauth x11-utils googletest imagemagick fonts-wine fp-utils libchm-bin python3; do
    have_pkg "$p" || need+=("$p")
done

if [ ${#need[@]} -gt 0 ]; then
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

# Debian's wine package puts the launcher under /usr/lib/wine; make sure "wine" is on PATH.
if ! command -v wine >/dev/null 2>&1 && [ -x /usr/lib/wine/wine ]; then
    ln -sf /usr/lib/wine/wine /usr/local/bin/wine
fi
echo "setup: toolchain ready"
