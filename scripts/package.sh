#!/usr/bin/env bash
# Builds the Debian package build/brindle_<version>-1_amd64.deb from the
# install rules (packaging/CMakeLists.txt) of a full build in build/ (or
# BUILD_DIR), then checks it with lintian: any error fails the script.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
"$root/scripts/setup.sh"

version=$(sed -n 's/^project(Brindle VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
revision=1
arch=$(dpkg --print-architecture)
deb=$build/brindle_${version}-${revision}_${arch}.deb
maintainer="Brindle maintainers <maintainers@users.noreply.c-seed-95d1c701.example>"

cmake -S "$root" -B "$build" -G Ninja -DBRINDLE_GUI=ON -DBRINDLE_SANITIZE=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" \
  --target brindle_installed brindle-cli_installed brindle-printer

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
pkg=$stage/pkg
mkdir -m 0755 "$pkg"
DESTDIR=$pkg cmake --install "$build" --prefix /usr --strip >/dev/null

# Debian's rules for what the package holds: compressed manual pages and a
# Debian changelog, dated by the last commit so that the package repeats.
gzip -9n "$pkg"/usr/share/man/man1/*.1
when=$(git -C "$root" log -1 --format=%ct 2>/dev/null || date +%s)
{
  echo "brindle ($version-$revision) unstable; urgency=medium"
  echo
  echo "  * Brindle $version."
  echo
  echo " -- $maintainer  $(date -R -u -d "@$when")"
} | gzip -9n >"$pkg/usr/share/doc/brindle/changelog.Debian.gz"

# Depends: the packages of the shared libraries the programs really use.
mkdir -p "$stage/src/debian"
printf 'Source: brindle\n\nPackage: brindle\nArchitecture: any\n' >"$stage/src/debian/control"
depends=$(cd "$stage/src" && dpkg-shlibdeps -O "$pkg"/usr/bin/* 2>/dev/null |
  sed -n 's/^shlibs:Depends=//p')

mkdir -m 0755 "$pkg/DEBIAN"
cat >"$pkg/DEBIAN/control" <<CONTROL
Package: brindle
Version: $version-$revision
Architecture: $arch
Maintainer: $maintainer
Installed-Size: $(du -sk --exclude=DEBIAN "$pkg" | cut -f1)
Depends: $depends
Recommends: fonts-dejavu-core
Section: utils
Priority: optional
Description: store logo pictures in a receipt printer's memory
 Brindle collects logo pictures (BMP files), shows each beside its
 black-and-white conversion (a plain threshold or error-diffusion
 halftoning), and stores the set in the non-volatile image memory of an
 ESC/POS receipt printer ("Thermal" or "Dot") over a serial, parallel, USB
 or TCP/IP port. It also erases that memory and prints stored logos.
 .
 The package holds the window (brindle), the same jobs for scripts
 (brindle-cli, with bash completion) and a virtual receipt printer for
 trying Brindle without hardware (brindle-printer).
CONTROL
(cd "$pkg" && find usr -type f -exec md5sum {} + | sort -k 2) >"$pkg/DEBIAN/md5sums"
chmod 0644 "$pkg/DEBIAN/control" "$pkg/DEBIAN/md5sums"

dpkg-deb --root-owner-group -Zxz --build "$pkg" "$deb" >/dev/null
lintian --fail-on error --tag-display-limit 0 "$deb"
echo "$deb"
