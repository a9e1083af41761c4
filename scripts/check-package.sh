#!/usr/bin/env bash
# Makes the Debian package from a built tree (default: build) and checks it as a machine that
# installs it would meet it: it unpacks, its programs start, every program has its manual page,
# the icon comes in its sizes, the desktop entry and the AppStream metadata validate, the
# versions agree, its dependencies resolve, and lintian finds no error.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

step() { echo "+ $*"; }
fail() { echo "check-package: $*" >&2; exit 1; }

rm -rf "$build/package"
step cpack -G DEB
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$build/package" >/dev/null
debs=("$build"/package/*.deb)
[ "${#debs[@]}" -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one package, found: ${debs[*]}"
deb=$(realpath "${debs[0]}")
dpkg-deb --info "$deb"

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
step dpkg -x "$deb"
dpkg -x "$deb" "$root"

step "programs start, each with its manual page"
for program in corvane corvane-sim; do
    [ -x "$root/usr/bin/$program" ] || fail "the package holds no /usr/bin/$program"
done
for program in "$root"/usr/bin/*; do
    name=$(basename "$program")
    "$program" --help >/dev/null || fail "$name --help failed"
    [ -f "$root/usr/share/man/man1/$name.1.gz" ] || fail "$name has no manual page"
done

step "icon sizes"
icons=("$root"/usr/share/icons/hicolor/*/apps/*.png)
[ "${#icons[@]}" -ge 5 ] && [ -f "${icons[0]}" ] || fail "too few icon sizes: ${icons[*]}"
for icon in "${icons[@]}"; do
    size=$(basename "$(dirname "$(dirname "$icon")")")
    file "$icon" | grep -q "PNG image data, ${size%x*} x ${size#*x}," || fail "$icon is not $size"
done

step desktop-file-validate
desktop-file-validate "$root"/usr/share/applications/*.desktop
step appstreamcli validate-tree
appstreamcli validate-tree --no-net "$root"

step "versions agree"
version=$(dpkg-deb -f "$deb" Version)
changelog_version=$(dpkg-parsechangelog -l packaging/debian/changelog -S Version)
release_version=$(grep -o -m1 '<release version="[^"]*"' "$root"/usr/share/metainfo/*.xml |
    sed 's/.*version="//; s/"$//')
[ "$changelog_version" = "$version" ] ||
    fail "packaging/debian/changelog ends at $changelog_version, the package is $version"
[ "$release_version" = "$version" ] ||
    fail "the newest AppStream release is $release_version, the package is $version"

step "dependencies resolve"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for library in libc6 libqt6widgets6 libcups2; do
    grep -q "\b$library\b" <<<"$depends" || fail "Depends lacks $library"
done
apt-get install --simulate --no-install-recommends "$deb" >/dev/null

if udevadm verify --help >/dev/null 2>&1; then
    step udevadm verify
    udevadm verify "$root"/usr/lib/udev/rules.d/*.rules
else
    echo "udevadm verify is not available here; the unit tests held the rule to the id table"
fi

step lintian
lintian --fail-on error --display-info "$deb"
echo "check-package: $(basename "$deb") is fine"
