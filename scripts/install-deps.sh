#!/bin/sh
# Installs the Debian 12 packages that building, running and testing Corvane Manager need.
set -eu
packages="build-essential cmake ninja-build pkg-config clang-format libgtest-dev libgmock-dev \
qt6-base-dev qt6-base-dev-tools libgl-dev libcups2-dev cups-daemon cups-client \
xvfb xauth fonts-dejavu-core"
if [ "$(id -u)" -eq 0 ]; then
    as_root=""
else
    as_root="sudo"
fi
# Skip the package lists and the install when everything is already there.
if dpkg-query -W -f='${Status}\n' $packages 2>/dev/null | grep -qv '^install ok installed$' ||
   [ "$(dpkg-query -W -f='${Status}\n' $packages 2>/dev/null | wc -l)" -ne "$(echo $packages | wc -w)" ]; then
    $as_root apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $as_root apt-get install -y -qq --no-install-recommends $packages
fi
