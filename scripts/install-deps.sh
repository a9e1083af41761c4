#!/bin/sh
# Installs the Debian 12 packages that building, running and testing Corvane Manager, and making
# and checking its Debian package, need.
set -eu
packages="build-essential cmake ninja-build pkg-config clang-format libgtest-dev libgmock-dev \
qt6-base-dev qt6-base-dev-tools libgl-dev libcups2-dev cups-daemon cups-client \
libcli11-dev nlohmann-json3-dev xvfb xauth x11-utils fonts-dejavu-core \
dbus-daemon at-spi2-core python3-gi gir1.2-atspi-2.0 python3-xlib \
help2man dpkg-dev file desktop-file-utils appstream lintian \
libusb-1.0-0-dev umockdev libumockdev-dev clang libclang-rt-14-dev"
if [ "$(id -u)" -eq 0 ]; then
    as_root=""
else
    as_root="sudo"
fi
# Skip the package lists and the install when everything is already there.
if ! dpkg -s $packages >/dev/null 2>&1; then
    $as_root apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $as_root apt-get install -y -qq --no-install-recommends $packages
fi
