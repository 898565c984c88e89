#!/usr/bin/env bash
# Proves the built package on a brand-new system: makes a minimal Debian 12
# root with debootstrap, installs dist/quillfold_*.deb in it with apt (so its
# dependencies come from the archive), and checks that both programs work
# there. One line per check; exits non-zero when one fails. Root only.
#   scripts/prove-package.sh        (after scripts/package.sh)
# The bare debootstrap result is kept in $QUILLFOLD_PROOF_CACHE (default
# /var/cache/quillfold-proof) so later proofs start from it; every proof
# unpacks a fresh copy.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "$(id -u)" -ne 0 ]; then
  echo "skipped: the fresh-system proof needs root (debootstrap, chroot)"
  exit 0
fi
deb=$(ls dist/quillfold_*_"$(dpkg --print-architecture)".deb 2>/dev/null | head -1)
if [ -z "$deb" ]; then
  echo "no package in dist/: run scripts/package.sh first" >&2
  exit 2
fi
scripts/install-packages.sh debootstrap

cache=${QUILLFOLD_PROOF_CACHE:-/var/cache/quillfold-proof}
base_tar=$cache/bookworm-minbase.tar
if [ ! -e "$base_tar" ]; then
  mkdir -p "$cache"
  staging=$(mktemp -d "$cache/debootstrap.XXXXXX")
  debootstrap --variant=minbase bookworm "$staging" http://deb.debian.org/debian >"$cache/debootstrap.log" 2>&1 \
    || { tail -20 "$cache/debootstrap.log"; rm -rf "$staging"; exit 1; }
  tar -C "$staging" -cf "$base_tar.part" . && mv "$base_tar.part" "$base_tar"
  rm -rf "$staging"
fi

root=$(mktemp -d /var/tmp/quillfold-proof.XXXXXX)
cleanup() {
  for mount in "$root/dev/pts" "$root/dev" "$root/sys" "$root/proc"; do
    if mountpoint -q "$mount"; then umount -l "$mount"; fi
  done
  rm -rf "$root"
}
trap cleanup EXIT
tar -C "$root" -xf "$base_tar"
mount -t proc proc "$root/proc"
mount -t sysfs sys "$root/sys"
mount --bind /dev "$root/dev"
mount --bind /dev/pts "$root/dev/pts"
cp /etc/resolv.conf "$root/etc/resolv.conf"
cp "$deb" "$root/tmp/"
cp scripts/proof-checks.sh "$root/tmp/"

chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 \
  bash /tmp/proof-checks.sh "/tmp/$(basename "$deb")"
status=$?
if [ -e "$root/tmp/screenshot.png" ]; then cp "$root/tmp/screenshot.png" dist/fresh-system.png; fi
exit $status
