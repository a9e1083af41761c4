#!/bin/sh
# Installs the Debian 12 packages that cross-building the Windows programs and testing them under
# Wine need: the mingw-w64 compilers, Wine, and GoogleTest's sources.
set -eu
packages="g++-mingw-w64-x86-64 wine64 googletest"
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
