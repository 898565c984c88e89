#!/usr/bin/env bash
# The file-system matrix: the same seeded library on ext4, xfs, btrfs, tmpfs,
# NTFS (ntfs-3g), FAT32 (fusefat), a slow FUSE passthrough that refuses
# no-replace renames and hard links, and a read-only squashfs. On each
# writable one a report-only run must change nothing, and a real run must
# lose or duplicate no music file, leave no temporary behind, and print the
# report and write the playlists a run on tmpfs does; on squashfs the
# report-only run must work and the real run fail naming the read-only file
# system, changing nothing. One line per medium ("ok", "FAIL" or "skip");
# exits 1 when one fails. Root only: elsewhere, or where nothing can be
# mounted, it says so in one line and exits 0.
#   scripts/test-filesystems.sh
# Builds into build-matrix/ (or $QUILLFOLD_MATRIX_BUILD_DIR).
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "$(id -u)" -ne 0 ]; then
  echo "skipped: the file-system matrix needs root (loop devices, mount)"
  exit 0
fi

scripts/install-packages.sh g++ cmake ninja-build pkg-config libgtest-dev libgmock-dev \
  libutf8proc-dev libtag1-dev e2fsprogs xfsprogs btrfs-progs ntfs-3g dosfstools fusefat squashfs-tools fuse3 libfuse3-dev

build_dir=${QUILLFOLD_MATRIX_BUILD_DIR:-build-matrix}
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLFOLD_WERROR=ON \
  -DQUILLFOLD_BUILD_GUI=OFF >/dev/null
cmake --build "$build_dir" --target quillfold-cli quillfold-generate-library \
  quillfold-passthrough-fs >/dev/null
cli=$(realpath "$build_dir/cli/quillfold-cli")
generator=$(realpath "$build_dir/sample_library/quillfold-generate-library")
passthrough=$(realpath "$build_dir/bench/quillfold-passthrough-fs")

tmp=$(mktemp -d "${TMPDIR:-/tmp}/quillfold-matrix.XXXXXX")
mounted=()

unmount() {
  case $(findmnt -n -o FSTYPE --target "$1" 2>/dev/null) in
    fuse*) fusermount3 -u "$1" 2>/dev/null || umount -l "$1" ;;
    *) umount "$1" 2>/dev/null || umount -l "$1" ;;
  esac
}

cleanup() {
  local i
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
    if mountpoint -q "${mounted[i]}"; then unmount "${mounted[i]}" || true; fi
  done
  # A mount that would not go must not have its contents deleted with us.
  rm -rf --one-file-system "$tmp"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM HUP

# mount_at FOLDER MOUNT-COMMAND...: makes FOLDER and mounts on it, keeping it
# for the clean-up; the command's error text goes to $tmp/mount.err.
mount_at() {
  local folder=$1
  shift
  mkdir -p "$folder"
  "$@" >/dev/null 2>"$tmp/mount.err" || return 1
  mounted+=("$folder")
}

work=$tmp/work
if ! mount_at "$work" mount -t tmpfs -o size=512m tmpfs "$work"; then
  echo "skipped: cannot mount here ($(head -1 "$tmp/mount.err"))"
  exit 0
fi
export XDG_STATE_HOME=$work/state
mkdir -p "$XDG_STATE_HOME"

have_loop=true
loop_why=
if ! losetup --find >/dev/null 2>&1; then
  have_loop=false
  loop_why="no free loop device"
fi
have_fuse=true
fuse_why=
if [ ! -c /dev/fuse ]; then
  have_fuse=false
  fuse_why="no /dev/fuse"
fi

failures=0
pass() { echo "ok $1"; }
fail() {
  echo "FAIL $1: $2"
  failures=$((failures + 1))
}
skip() { echo "skip $1: $2"; }

# The library: a few hundred files, playlists and empty folder chains, less
# every name a FAT or NTFS volume cannot hold (characters Windows refuses,
# bytes past ASCII, which fusefat refuses, a trailing dot or space) and every
# name that another differs from only in letter case, so that every medium
# holds the same library and every real run has the same work to do.
staging=$work/library
"$generator" "$staging" --files 300 --playlists 12 --lines 1 40 --empty-chains 6 --seed 7 \
  >/dev/null
(cd "$staging" && find . -mindepth 1 -printf '%P\n' | LC_ALL=C sort) |
  LC_ALL=C awk -F/ '
    {
      name = $NF
      if (name ~ /[^ -~]|["*:<>?\\|]|[. ]$/) { print; next }
      key = tolower(name)
      if (key in seen && seen[key] != name) { print; next }
      if (!(key in seen)) seen[key] = name
    }' |
  while IFS= read -r unfit; do rm -rf "${staging:?}/$unfit"; done

# place_library FOLDER BASE: copies the library into FOLDER, its playlists'
# lines naming files below BASE (where FOLDER will be seen from).
place_library() {
  mkdir -p "$1"
  (cd "$staging" && find . -mindepth 1 -type d -printf '%P\0') |
    while IFS= read -r -d '' folder; do mkdir -p "$1/$folder"; done
  (cd "$staging" && find . -type f -printf '%P\0') |
    while IFS= read -r -d '' file; do
      case $file in
        *.m3u | *.M3U)
          FROM=$staging/ TO=$2/ LC_ALL=C awk '
            index($0, ENVIRON["FROM"]) == 1 {
              $0 = ENVIRON["TO"] substr($0, length(ENVIRON["FROM"]) + 1)
            }
            { print }' "$staging/$file" >"$1/$file"
          ;;
        *) cat "$staging/$file" >"$1/$file" ;;
      esac
    done
}

# Every entry with its type and modification time, and each file's size: any
# change shows. Not a folder's size, which ntfs-3g reports as its index's and
# grows in the background after the folder was filled.
listing() {
  (cd "$1" && find . \( -type d -printf '%p  d %T@\n' \) -o -printf '%p  %y %s %T@\n' |
    LC_ALL=C sort)
}
# The bytes of every file but the playlists, whose lines a run rewrites.
census() {
  (cd "$1" && find . -type f ! -iname '*.m3u' -exec sha256sum {} + | cut -d' ' -f1 | LC_ALL=C sort)
}

# normalized BASE [FILE...]: the text with BASE written as "BASE".
normalized() {
  BASE=$1 LC_ALL=C awk '
    {
      out = ""
      while ((at = index($0, ENVIRON["BASE"])) > 0) {
        out = out substr($0, 1, at - 1) "BASE"
        $0 = substr($0, at + length(ENVIRON["BASE"]))
      }
      print out $0
    }' "${@:2}"
}

# playlists BASE: every playlist below BASE, by name, its lines normalized.
playlists() {
  local playlist
  (cd "$1" && find . -type f -iname '*.m3u' -print | LC_ALL=C sort) |
    while IFS= read -r playlist; do
      echo "$playlist:"
      normalized "$1" "$1/$playlist"
    done
}

# first_difference A B: the first line only A has and the first only B has.
first_difference() {
  local lines
  lines=$(diff "$1" "$2" || true)
  echo "$(grep -m1 '^<' <<<"$lines" || true) $(grep -m1 '^>' <<<"$lines" || true)"
}

reference=$work/reference/library
place_library "$reference" "$reference"
if ! "$cli" "$reference" >"$work/reference-report-only" 2>"$work/reference.err" ||
  ! "$cli" --apply --yes "$reference" >"$work/reference-real" 2>"$work/reference.err"; then
  echo "FAIL reference run on tmpfs: $(head -1 "$work/reference.err")"
  exit 1
fi
normalized "$reference" "$work/reference-report-only" >"$work/expected-report-only"
normalized "$reference" "$work/reference-real" >"$work/expected-real"
playlists "$reference" >"$work/expected-playlists"

# unchanged MEDIUM WHAT: whether the tree at $base is as it was before the
# runs; fails MEDIUM, naming the first change, when not.
unchanged() {
  listing "$base" >"$out.listing-after"
  census "$base" >"$out.census-after"
  if ! cmp -s "$out.listing-before" "$out.listing-after" ||
    ! cmp -s "$out.census-before" "$out.census-after"; then
    fail "$1" "$2 changed the tree: $(first_difference \
      "$out.listing-before" "$out.listing-after") $(first_difference \
      "$out.census-before" "$out.census-after")"
    return 1
  fi
}

# report_only MEDIUM: notes the tree at $base, then the report-only run must
# exit 0, change nothing and print the report it printed on tmpfs; fails
# MEDIUM when not. Uses the caller's $base and $out (where its files go).
report_only() {
  local status=0
  listing "$base" >"$out.listing-before"
  census "$base" >"$out.census-before"
  "$cli" "$base" >"$out.report-only" 2>"$out.err" || status=$?
  if [ "$status" -ne 0 ]; then
    fail "$1" "report-only run exited $status: $(head -1 "$out.err")"
    return 1
  fi
  unchanged "$1" "the report-only run" || return 1
  normalized "$base" "$out.report-only" >"$out.report-only-normalized"
  if ! cmp -s "$work/expected-report-only" "$out.report-only-normalized"; then
    fail "$1" "the report-only report differs from tmpfs's: $(first_difference \
      "$work/expected-report-only" "$out.report-only-normalized")"
    return 1
  fi
}

# check_writable MEDIUM BASE: the report-only and the real run on the
# library at BASE; prints the medium's line.
check_writable() {
  local medium=$1 base=$2 out=$work/$1 status=0
  report_only "$medium" || return 0
  "$cli" --apply --yes "$base" >"$out.real" 2>"$out.err" || status=$?
  if [ "$status" -ne 0 ]; then
    fail "$medium" "real run exited $status: $(head -1 "$out.err")"
    return
  fi
  local leftover
  leftover=$(cd "$base" && find . -name '*.quillfold-*' -print -quit)
  if [ -n "$leftover" ]; then
    fail "$medium" "temporary file left behind: $leftover"
    return
  fi
  census "$base" >"$out.census-after"
  if ! cmp -s "$out.census-before" "$out.census-after"; then
    fail "$medium" "music files lost or duplicated: $(first_difference \
      "$out.census-before" "$out.census-after")"
    return
  fi
  normalized "$base" "$out.real" >"$out.real-normalized"
  if ! cmp -s "$work/expected-real" "$out.real-normalized"; then
    fail "$medium" "the real run's report differs from tmpfs's: $(first_difference \
      "$work/expected-real" "$out.real-normalized")"
    return
  fi
  playlists "$base" >"$out.playlists"
  if ! cmp -s "$work/expected-playlists" "$out.playlists"; then
    fail "$medium" "the playlists differ from tmpfs's: $(first_difference \
      "$work/expected-playlists" "$out.playlists")"
    return
  fi
  pass "$medium"
}

# kernel_has TYPE: whether the kernel can mount TYPE (loading its module if
# need be).
kernel_has() {
  grep -qw "$1" /proc/filesystems || { modprobe "$1" 2>/dev/null && grep -qw "$1" /proc/filesystems; }
}

# loop_medium MEDIUM TYPE SIZE MKFS...: a loop image made with MKFS, mounted,
# then checked.
loop_medium() {
  local medium=$1 type=$2 size=$3
  shift 3
  if ! $have_loop; then
    skip "$medium" "$loop_why"
    return
  fi
  if ! kernel_has "$type"; then
    skip "$medium" "the kernel has no $type"
    return
  fi
  local image=$work/$medium.img mount=$tmp/mnt/$medium
  truncate -s "$size" "$image"
  if ! "$@" "$image" >"$work/$medium.mkfs" 2>&1; then
    fail "$medium" "$1 failed: $(tail -1 "$work/$medium.mkfs")"
    return
  fi
  if ! mount_at "$mount" mount -t "$type" -o loop "$image" "$mount"; then
    fail "$medium" "mount failed: $(head -1 "$tmp/mount.err")"
    return
  fi
  place_library "$mount/library" "$mount/library"
  check_writable "$medium" "$mount/library"
}

loop_medium ext4 ext4 128M mkfs.ext4 -q -F
loop_medium xfs xfs 320M mkfs.xfs -q -f
loop_medium btrfs btrfs 256M mkfs.btrfs -q -f

mount=$tmp/mnt/tmpfs
if mount_at "$mount" mount -t tmpfs -o size=64m tmpfs "$mount"; then
  place_library "$mount/library" "$mount/library"
  check_writable tmpfs "$mount/library"
else
  fail tmpfs "mount failed: $(head -1 "$tmp/mount.err")"
fi

# fuse_medium MEDIUM MAKER MOUNT-COMMAND...: an image file, made by the
# function MAKER, mounted by a FUSE program, then checked.
fuse_medium() {
  local medium=$1 make=$2
  shift 2
  if ! $have_fuse; then
    skip "$medium" "$fuse_why"
    return
  fi
  local image=$work/$medium.img mount=$tmp/mnt/$medium
  truncate -s 256M "$image"
  if ! "$make" "$image" >"$work/$medium.mkfs" 2>&1; then
    fail "$medium" "making the image failed: $(tail -1 "$work/$medium.mkfs")"
    return
  fi
  if ! mount_at "$mount" "$@" "$image" "$mount"; then
    fail "$medium" "mount failed: $(head -1 "$tmp/mount.err")"
    return
  fi
  place_library "$mount/library" "$mount/library"
  check_writable "$medium" "$mount/library"
}

make_ntfs() { mkfs.ntfs --fast -F -q "$1"; }
make_fat32() { mkfs.vfat -F 32 "$1"; }
fuse_medium NTFS make_ntfs ntfs-3g
fuse_medium FAT32 make_fat32 fusefat -o rw+

if $have_fuse; then
  # 100 microseconds a request: a share's round trip, for the read-ahead's
  # requests to wait out side by side.
  passthrough_source=$work/passthrough-source
  mount=$tmp/mnt/passthrough
  mkdir -p "$passthrough_source"
  if mount_at "$mount" "$passthrough" --delay-us 100 --refuse-noreplace --refuse-links \
    "$passthrough_source" "$mount"; then
    place_library "$mount/library" "$mount/library"
    check_writable passthrough "$mount/library"
  else
    fail passthrough "mount failed: $(head -1 "$tmp/mount.err")"
  fi
else
  skip passthrough "$fuse_why"
fi

check_squashfs() {
  if ! $have_loop; then
    skip squashfs "$loop_why"
    return
  fi
  if ! kernel_has squashfs; then
    skip squashfs "the kernel has no squashfs"
    return
  fi
  local mount=$tmp/mnt/squashfs out=$work/squashfs status=0
  local base=$mount/library
  place_library "$work/squashfs-source/library" "$base"
  if ! mksquashfs "$work/squashfs-source" "$work/squashfs.img" -quiet -noappend \
    >"$out.mkfs" 2>&1; then
    fail squashfs "mksquashfs failed: $(tail -1 "$out.mkfs")"
    return
  fi
  if ! mount_at "$mount" mount -t squashfs -o loop,ro "$work/squashfs.img" "$mount"; then
    fail squashfs "mount failed: $(head -1 "$tmp/mount.err")"
    return
  fi
  report_only squashfs || return 0
  "$cli" --apply --yes "$base" >"$out.real" 2>"$out.err" || status=$?
  if [ "$status" -ne 1 ]; then
    fail squashfs "real run exited $status, not 1: $(head -1 "$out.err")"
    return
  fi
  if ! grep -q 'Read-only file system' "$out.err"; then
    fail squashfs "real run's error does not name the read-only file system: $(head -1 "$out.err")"
    return
  fi
  unchanged squashfs "the failed real run" || return 0
  pass squashfs
}
check_squashfs

if ((failures)); then exit 1; fi
