#!/usr/bin/env bash
# Installs the Debian packages the monitor needs to build, run and test, if any are missing.
# With --package also those that build and check the Debian package; with --checks also those
# of the fuzzing build; with --bench also the serial terminal the whole-program benchmark compares
# the monitor with.
set -euo pipefail

packages=(
    cmake ninja-build g++ make
    qt6-base-dev qt6-serialport-dev
    fonts-liberation
    xvfb xdotool imagemagick
    libx11-dev # the end-to-end test's x11-probe
    x11-utils  # xdpyinfo, with which scripts/screenshot.sh waits for its X server
    # The screen-reader test: a private session bus, the accessibility bus and its Python reader
    dbus-daemon dbus-bin at-spi2-core python3-pyatspi
    qt6-svg-dev                            # gear-log --plot draws SVG with Qt's painter
    qt6-httpserver-dev qt6-websockets-dev  # the panel mirror's server
    libqrencode-dev                        # the mirror's address as a QR code in the terminal
    # The mirror's page tested in a real browser
    chromium chromium-driver python3-selenium
)
if [ "${1:-}" = "--package" ]; then
    packages+=(
        dpkg-dev          # dpkg-shlibdeps, which finds the package's dependencies
        lintian desktop-file-utils appstream
        file man-db       # the package check's look at icons and manual pages
    )
fi

if [ "${1:-}" = "--bench" ]; then
    packages+=(cutecom)
fi

# The fuzz targets build with clang and its sanitizer runtimes; the sanitizer suite builds with
# g++, whose runtimes come with it.
if [ "${1:-}" = "--checks" ]; then
    packages+=(clang-14 libclang-rt-14-dev)
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
if ! "${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${missing[@]}"; then
    "${sudo_cmd[@]}" apt-get update
    "${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
fi
