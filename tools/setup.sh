#!/usr/bin/env bash
# Installs what the build, the tests and the emulated device need. Idempotent; quick when all is there.
set -euo pipefail

# This machine's kernel runs 64-bit user code only, so Wine runs the x86_64 build of the
# program (wine64); the i686 build with the device's record sizes is built but not run here.
packages=(
    g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
    binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
    cmake ninja-build googletest clang libclang-rt-dev
    cppcheck clang-tidy clang-format
    wine wine64 xvfb x11-utils xdotool imagemagick
    libbenchmark-dev
    x11vnc websockify novnc iproute2
    chromium chromium-driver python3-selenium
    libre-dev sip-tester
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
