#!/usr/bin/env bash
# The checks of prove-package.sh, run inside the fresh root: installs the
# package with apt, then one line per check. Exits with the number of failed
# checks.
#   proof-checks.sh /tmp/quillfold_VERSION_ARCH.deb
set -uo pipefail
deb=$1
failed=0

check() {
  local name=$1
  shift
  if "$@" >/tmp/check.log 2>&1; then
    echo "ok    $name"
  else
    echo "FAIL  $name"
    sed 's/^/      /' /tmp/check.log | tail -15
    failed=$((failed + 1))
  fi
}

# An ID3v1-tagged file: some audio bytes, then "TAG", title, artist, album
# (30 bytes each), year (4), comment (28), a zero, the track, the genre.
tagged_mp3() {
  local path=$1 title=$2 artist=$3 album=$4 track=$5
  mkdir -p "$(dirname "$path")"
  {
    head -c 600 /dev/zero
    printf 'TAG'
    printf '%-30.30s%-30.30s%-30.30s%-4.4s%-28.28s' "$title" "$artist" "$album" 2001 ""
    printf '\0'"$(printf '\\%03o' "$track")"'\x11'
  } >"$path"
}

make_library() {
  rm -rf /tmp/library
  tagged_mp3 /tmp/library/in/a.mp3 "First Song" "Some Band" "An Album" 1
  tagged_mp3 /tmp/library/in/deeper/b.mp3 "Second Song" "Some Band" "An Album" 2
  tagged_mp3 /tmp/library/c.mp3 "" "Other Band" "Other Album" 3
  head -c 300 /dev/zero >/tmp/library/untagged.mp3
  printf '/tmp/library/in/a.mp3\r\n/tmp/library/in/deeper/b.mp3\r\n' >/tmp/library/list.m3u
}

report_only() {
  make_library
  quillfold-cli /tmp/library && [ -e /tmp/library/in/a.mp3 ] \
    && ! [ -e "/tmp/library/Some Band" ]
}

real_run() {
  make_library
  quillfold-cli --apply --yes /tmp/library \
    && [ -e "/tmp/library/Some Band/An Album/01. First Song.mp3" ] \
    && [ -e "/tmp/library/Some Band/An Album/02. Second Song.mp3" ] \
    && [ -e "/tmp/library/UNSORTED - No Song Title/c.mp3" ] \
    && [ -e "/tmp/library/UNSORTED - No ID3v1 Tag/untagged.mp3" ] \
    && grep -q "^/tmp/library/Some Band/An Album/01. First Song.mp3" /tmp/library/list.m3u
}

screenshot() {
  xvfb-run --auto-servernum --server-args="-screen 0 1024x768x24" bash -c '
    quillfold & program=$!
    sleep 4
    kill -0 "$program" || exit 1
    xwd -root -silent | xwdtopnm 2>/dev/null | pnmtopng >/tmp/screenshot.png
    kill "$program"' && [ -s /tmp/screenshot.png ]
}

export DEBIAN_FRONTEND=noninteractive
check "apt installs the package and its dependencies" \
  bash -c "apt-get update -qq && apt-get install -y -qq $deb"
check "tools for the checks install (man-db, xvfb, x11-apps, netpbm)" \
  apt-get install -y -qq --no-install-recommends man-db xvfb xauth x11-apps netpbm
check "quillfold-cli --version" bash -c 'quillfold-cli --version | grep -q "1\.0\.33"'
check "a report-only run changes nothing" report_only
check "a real run puts the files in order and rewrites the playlist" real_run
check "man -w quillfold-cli" man -w quillfold-cli
check "man -w quillfold" man -w quillfold
check "the desktop program starts under xvfb-run (screenshot)" screenshot
exit "$failed"
