#!/usr/bin/env bash
# Installs everything the build, the tests under Wine, the end-to-end checks, fuzzing and benchmarks need on
# Debian 12. Safe to run again: already installed packages are left alone.
set -euo pipefail

if [[ $EUID -ne 0 ]]; then
    command -v sudo >/dev/null || { echo "setup-debian: run as root (sudo is not available)" >&2; exit 1; }
    exec sudo -E bash "$0" "$@"
fi

export DEBIAN_FRONTEND=noninteractive

packages=(
    # build
    cmake ninja-build g++ git file
    g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
    # Windows programs and their tests; wine32 is what runs the 32-bit build
    wine wine32:i386 wine64 libwine:i386
    # display, input and screenshots for the Wine runs
    xvfb xauth xdotool x11-utils imagemagick
    # X extensions Wine's 64-bit display driver uses (only recommended by libwine)
    libxrender1 libxrandr2 libxi6 libxcursor1 libxcomposite1 libxinerama1 libxfixes3
    # the program's Chinese texts: a CJK font and a locale whose code page is 936
    fonts-wqy-microhei fontconfig locales
    # Wine's own Marlett, which draws the buttons of window captions
    fonts-wine
    # unit tests (the MinGW builds compile GoogleTest from /usr/src/googletest) and benchmarks
    libgtest-dev libgmock-dev googletest libbenchmark-dev
    # fuzzing and sanitizers
    clang libclang-rt-14-dev
)

missing() {
    local pkg
    for pkg in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || echo "$pkg"
    done
}

dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386

todo=$(missing)
if [[ -n $todo ]]; then
    apt-get update
    # shellcheck disable=SC2086 # one package name per word
    apt-get install -y --no-install-recommends $todo
fi

# Wine reports code page 936 only under a Chinese locale.
if ! locale -a 2>/dev/null | grep -qix 'zh_CN\.utf8'; then
    if grep -qE '^#\s*zh_CN\.UTF-8 UTF-8' /etc/locale.gen; then
        sed -i -E 's/^#\s*(zh_CN\.UTF-8 UTF-8)/\1/' /etc/locale.gen
    else
        echo 'zh_CN.UTF-8 UTF-8' >>/etc/locale.gen
    fi
    locale-gen
fi

[[ -x /usr/lib/wine/wine ]] || { echo "setup-debian: the 32-bit Wine loader is missing after install" >&2; exit 1; }
echo "setup-debian: all packages present"
