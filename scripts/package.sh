#!/usr/bin/env bash
# Checks the files an installed Quillfold brings besides its programs (desktop
# entry, AppStream metainfo, manual pages), builds the Debian package into
# dist/ and checks it with lintian. Installs the packaging tools and the build
# dependencies it needs (only those missing). The build's full log is
# dist/build.log.
#   scripts/package.sh
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-packages.sh build-essential dpkg-dev debhelper lintian desktop-file-utils appstream \
  groff-base man-db cmake ninja-build pkg-config qt6-base-dev libgl-dev libutf8proc-dev

desktop-file-validate app/resources/quillfold.desktop
appstreamcli validate --no-net --pedantic data/*.metainfo.xml
for page in data/*.1; do
  # groff names every problem on stderr; an empty stderr is a clean page.
  problems=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
  if [ -n "$problems" ]; then
    echo "$page: $problems" >&2
    exit 1
  fi
done

mkdir -p dist
if ! dpkg-buildpackage -us -uc -b >dist/build.log 2>&1; then
  tail -40 dist/build.log
  exit 1
fi

# dpkg-buildpackage puts its results beside the source folder; collect them
# in dist/ and leave the tree as clean as it was.
version=$(dpkg-parsechangelog -S Version)
arch=$(dpkg-architecture -qDEB_HOST_ARCH)
for file in ../quillfold_"$version"_"$arch".{deb,buildinfo,changes} \
            ../quillfold-dbgsym_"$version"_"$arch".deb; do
  if [ -e "$file" ]; then mv -f "$file" dist/; fi
done
debian/rules clean >/dev/null 2>&1

lintian --fail-on error,warning --info dist/quillfold_"$version"_"$arch".changes
echo "Built dist/quillfold_${version}_${arch}.deb"
