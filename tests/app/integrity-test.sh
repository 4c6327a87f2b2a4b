#!/usr/bin/env bash
# End-to-end checks of what keeps an install whole under Wine, through the
# real setup.exe /S: a killed install undone by the next run, one install
# into a folder at a time, links in the payload, read-only files, missing
# folders of the location, and what the command line may not ask for.
#
#   integrity-test.sh RIG RIG_HOME RUN_WATCHED PROGRAM CASE
set -uo pipefail
rig=$1 home=$2 watcher=$3 program=$4 case=$5
fail() { echo "FAIL ($case): $*"; [ -f "${log:-}" ] && sed 's/^/  log| /' "$log" | tail -30; exit 1; }

eval "$("$rig" --home "$home" --env)" || fail "no rig"
winpath() { winepath -w "$1" 2>/dev/null; }

work=$(dirname "$home")/integrity-tests/$(basename "$home")/$case
chattr -R -i "$work" 2>/dev/null
rm -rf "$work"
mkdir -p "$work/place"
product="Quorvin Integrity $case"  # the case's own: installs register their product
log=$work/setup.log
wlog=$(winpath "$log")

# A distribution NAME whose payload (App Files) is made by the command
# that follows, run in the payload folder.
dist() {  # NAME COMMAND...
  local files=$work/$1/"install files"
  mkdir -p "$files/App Files"
  cp "$program" "$work/$1/setup.exe"
  printf '%s\r\n' "$product" >"$files/product.txt"
  (cd "$files/App Files" && "${@:2}")
}
# Files whose bytes tell the version: FOLDERS x FILES of about 1 KiB.
versioned() {  # VERSION FOLDERS FILES
  local f i
  for f in $(seq -w 1 "$2"); do
    mkdir -p "Folder$f"
    for i in $(seq -w 1 "$3"); do printf 'version %s of %s/%s %0900d\n' "$1" "$f" "$i" 0 >"Folder$f/file$i.txt"; done
  done
  printf 'version %s\n' "$1" >top.txt
}

# Starts the program of distribution NAME with the raw options given; the
# status and output land in $work/NAME.status and NAME.out.
start() {  # NAME OPTIONS
  (QV_CHILD_COMMAND_LINE="\"$(winpath "$work/$1/setup.exe")\" $2" "$rig" --home "$home" "$watcher" \
     >"$work/$1.out" 2>&1; echo $? >"$work/$1.status") &
}
run() {  # NAME OPTIONS
  rm -f "$work/$1.status"
  start "$@"
  wait $!
  status=$(cat "$work/$1.status")
  grep -q '^windows: 0' "$work/$1.out" || fail "a window appeared: $(cat "$work/$1.out")"
}
expect_status() { [ "$status" -eq "$1" ] || fail "exit status $status, expected $1: $(cat "$work"/*.out 2>/dev/null | tail -5)"; }
expect_log() { grep -qF -- "$1" "$log" || fail "the log lacks: $1"; }

# Every folder, and every file with its size, last-write time and bytes.
snapshot() {  # folder
  (cd "$1" && find . -type d | sort && find . -type f -printf '%p %s %T@\n' | sort &&
   find . -type f -exec md5sum {} + | sort)
}
no_staging() { ! find "$work/place" -name '.qvsetup-*' | grep -q . || fail "a staging folder was left: $(find "$work/place" -name '.qvsetup-*')"; }
installed_is() {  # NAME: the product folder holds exactly that distribution's payload
  diff -r "$work/$1/install files/App Files" "$work/place/$product" >/dev/null ||
    fail "the install is not $1's payload: $(diff -rq "$work/$1/install files/App Files" "$work/place/$product" | head -3)"
}

# The Unix process of distribution NAME's setup.exe.
setup_pid() { pgrep -f "$(basename "$home")[\\\\/]$case[\\\\/]$1[\\\\/]setup\.exe" | head -n 1; }
# Waits until COMMAND (a test of the disk) holds, for at most 60 s.
wait_until() {
  local i
  for i in $(seq 1200); do "$@" && return 0; sleep 0.05; done
  return 1
}
earlier_versions_at_least() {  # N: the staging folder holds N earlier versions
  [ "$(find "$work/place/$product"/.qvsetup-*/ -path '*/b*/*' -type f 2>/dev/null | wc -l)" -ge "$1" ]
}
staging_exists() { compgen -G "$1/.qvsetup-*" >/dev/null; }

case $case in
  kill-reinstall)
    # A re-install of 2,001 files killed at ten points, each followed by a
    # run that finds what it left: the earlier install comes back exactly.
    # That run's own payload is refused after the recovery (a device name),
    # so the folder is left as the recovery made it.
    dist v1 versioned 1 20 100
    dist v2 versioned 2 20 100
    dist bad sh -c 'echo x >nul.txt'
    run v1 "/S /D=$(winpath "$work/place")"
    expect_status 0
    cp -a "$work/place/$product" "$work/earlier"
    before=$(snapshot "$work/earlier")
    for point in 0 200 400 600 800 1000 1200 1400 1600 1800; do
      rm -rf "$work/place/$product" && cp -a "$work/earlier" "$work/place/$product"
      start v2 "/S /D=$(winpath "$work/place")"
      wait_until earlier_versions_at_least $((point + 1)) || fail "the install never reached $point files"
      kill -9 "$(setup_pid v2)" || fail "no setup.exe to kill at $point"
      wait
      staging_exists "$work/place/$product" || fail "killed at $point, the install left no staging folder"
      rm -f "$log"
      run bad "/S /LOG=$wlog /D=$(winpath "$work/place")"
      expect_status 1
      expect_log "recovered: "
      grep -q '^recovered: .*interrupted; undone: [0-9,]* files\? removed, [0-9,]* replaced files\? put back' "$log" ||
        fail "killed at $point: no line of what was undone"
      expect_log "nul.txt"
      [ "$(snapshot "$work/place/$product")" = "$before" ] ||
        fail "killed at $point, the earlier install is not back: $(diff <(echo "$before") <(snapshot "$work/place/$product") | head -6)"
      no_staging
    done
    # And a whole run after it.
    run v2 "/S /D=$(winpath "$work/place")"
    expect_status 0
    installed_is v2
    no_staging
    ;;
  kill-fresh)
    # Killed installing into a location whose folders it made: the next
    # run removes them all again.
    dist v1 versioned 1 20 100
    dist bad sh -c 'echo x >nul.txt'
    start v1 "/S /D=$(winpath "$work/place/new/deeper")"
    wait_until test -f "$work/place/new/deeper/$product/Folder10/file050.txt" || fail "the install never got there"
    kill -9 "$(setup_pid v1)"
    wait
    run bad "/S /LOG=$wlog /D=$(winpath "$work/place/new/deeper")"
    expect_status 1
    expect_log "recovered: "
    [ -z "$(ls -A "$work/place")" ] || fail "the folders made are left: $(find "$work/place" | head -5)"
    ;;
  one-at-a-time)
    # Two installs into one folder: the second, started while the first
    # runs, fails at once with the lock's message and writes nothing; the
    # folder holds the first one's payload, whole.
    dist v1 versioned 1 20 100
    dist v2 versioned 2 2 10
    # A try counts when the first is still at work (its staging folder
    # there) after the second has ended: on a busy machine the first may
    # finish before the second has even started, and the place is emptied
    # for another try.
    for try in 1 2 3 4 5; do
      rm -rf "$work/place" "$log" && mkdir -p "$work/place"
      start v1 "/S /D=$(winpath "$work/place")"
      first=$!
      wait_until staging_exists "$work/place/$product" || fail "the first install never began"
      run v2 "/S /LOG=$wlog /D=$(winpath "$work/place")"
      staging_exists "$work/place/$product" && break
      wait $first
      [ "$try" -lt 5 ] || fail "the second install was never refused while the first was at work"
    done
    expect_status 1
    expect_log "another installation into this folder is running"
    wait
    [ "$(cat "$work/v1.status")" = 0 ] || fail "the first install failed: $(cat "$work/v1.out")"
    installed_is v1
    no_staging
    ;;
  payload-links)
    # A payload that holds a link, to a folder outside, to itself, or to
    # a file elsewhere, is refused naming it; nothing is installed.
    mkdir -p "$work/secret" && echo "secret" >"$work/secret/key.txt"
    for link in "folder:$work/secret" "loop:." "file:$work/secret/key.txt" "up:.."; do
      name=${link%%:*} target=${link#*:}
      rm -rf "$work/$name" "$work/place"/* "$log"
      dist "$name" sh -c "echo a >a.txt && mkdir Sub && ln -s '$target' Sub/Linked"
      run "$name" "/S /LOG=$wlog /D=$(winpath "$work/place")"
      expect_status 1
      grep -q "^error: .*\\\\Sub\\\\Linked: .*does not follow links in a payload" "$log" || fail "$name: no error naming the link"
      [ -z "$(ls -A "$work/place")" ] || fail "$name: something was installed: $(find "$work/place" | head -3)"
    done
    # The payload folder itself a link, to the root of the file system.
    rm -rf "$work/root-link" "$log"
    dist root-link true
    rm -rf "$work/root-link/install files/App Files" && ln -s / "$work/root-link/install files/App Files"
    run root-link "/S /LOG=$wlog /D=$(winpath "$work/place")"
    expect_status 1
    expect_log "the payload folder: it is a link or a junction"
    ;;
  read-only)
    # A read-only file of the earlier install is replaced, and nothing is
    # left behind; put back read-only when the install is undone.
    dist v1 versioned 1 2 3
    dist v2 versioned 2 2 3
    run v1 "/S /D=$(winpath "$work/place")"
    expect_status 0
    chmod a-w "$work/place/$product/top.txt"  # Wine's read-only attribute
    run v2 "/S /LOG=$wlog /D=$(winpath "$work/place")"
    expect_status 0
    installed_is v2
    no_staging
    chmod a-w "$work/place/$product/top.txt"
    before=$(snapshot "$work/place")
    chattr +i "$work/place/$product/Folder2/file3.txt" || fail "needs chattr and root"
    run v1 "/S /LOG=$wlog /D=$(winpath "$work/place")"
    chattr -i "$work/place/$product/Folder2/file3.txt"
    expect_status 1
    [ "$(snapshot "$work/place")" = "$before" ] || fail "not undone"
    [ "$(stat -c %a "$work/place/$product/top.txt")" = 444 ] ||
      fail "top.txt is not read-only again: $(stat -c %a "$work/place/$product/top.txt")"
    no_staging
    ;;
  missing-folders)
    # Every missing folder of /D= is made, and goes again with a failed
    # install; a drive that does not exist is refused.
    dist v1 versioned 1 2 3
    run v1 "/S /D=$(winpath "$work/place")\\new\\deeper"
    expect_status 0
    diff -r "$work/v1/install files/App Files" "$work/place/new/deeper/$product" >/dev/null || fail "not installed"
    rm -rf "$work/place/new"
    # A payload file held by another program without sharing fails the copy.
    QV_CHILD_COMMAND_LINE="\"$(winpath "$work/v1/setup.exe")\" /S /D=$(winpath "$work/place")\\new\\deeper" \
      "$rig" --home "$home" "$watcher" --hold "$(winpath "$work/v1/install files/App Files/Folder2/file2.txt")" >/dev/null 2>&1
    status=$?
    expect_status 1
    [ -z "$(ls -A "$work/place")" ] || fail "the folders made are left: $(find "$work/place" | head -5)"
    run v1 "/S /LOG=$wlog /D=J:\\no\\such"
    expect_status 1
    expect_log "the drive or share \"J:\\\" does not exist"
    ;;
  refused-requests)
    # What the command line may not ask for: a log inside the install
    # folder (nothing is written, not even the log), and ".." out of a
    # folder that is not there.
    dist v1 versioned 1 2 3
    inside=$(winpath "$work/place")\\$product\\setup.log
    run v1 "/S \"/LOG=$inside\" /D=$(winpath "$work/place")"
    expect_status 2
    [ -z "$(ls -A "$work/place")" ] || fail "something was written: $(find "$work/place")"
    mkdir -p "$work/place/real"
    run v1 "/S /LOG=$wlog /D=$(winpath "$work/place")\\nonexistent\\..\\real"
    expect_status 2
    expect_log "nonexistent"
    [ -z "$(ls -A "$work/place/real")" ] || fail "installed through a folder that is not there"
    run v1 "/S /LOG=$wlog /D=$(winpath "$work/place")\\real\\..\\real"
    expect_status 0
    [ -d "$work/place/real/$product" ] || fail "\"..\" out of a real folder is not taken"
    ;;
  forged-journals)
    # Whoever can write to an install folder can plant a staging folder
    # with a journal in it (a CRC is no secret): a backup that is a link to
    # a file outside, "new file" steps naming the user's files, "folder
    # made" steps naming the user's empty folders, above the install
    # folder too, a staging file that is a second name of a read-only file
    # outside. The next install acts on none of it: every file and folder,
    # inside and outside, stays exactly as it was, and the log says what
    # it kept.
    dist v1 versioned 1 2 3
    run v1 "/S /D=$(winpath "$work/place")"
    expect_status 0
    root=$work/place/$product
    mkdir -p "$work/outside" "$root/Empty" "$work/place/EmptyAbove"
    echo secret >"$work/outside/secret.txt"
    echo readonly >"$work/outside/ro.txt" && chmod a-w "$work/outside/ro.txt"
    echo mine >"$root/mine.txt"
    staging=$root/.qvsetup-77
    mkdir -p "$staging/b0"
    ln -s "$work/outside/secret.txt" "$staging/b0/1"
    ln "$work/outside/ro.txt" "$staging/t5"
    python3 - "$staging/journal" "$(winpath "$root")" "$(winpath "$work/place")" <<'PY'
import sys, zlib
path, root, above = sys.argv[1], sys.argv[2].encode(), sys.argv[3].encode()
counted = lambda t: b'%d:%s' % (len(t), t)
digest = b'0' * 64
lines = [b'qvsetup-journal 2 119 ' + counted(root) + b' ' + counted(b'.qvsetup-77'),
         b'A ' + counted(above), b'A ' + counted(root),
         b'R 1 20 ' + counted(b'outside.txt'), b'N 2 ' + counted(b'mine.txt'),
         b'N 3 ' + counted(b'top.txt'), b'F 4 ' + counted(b'Empty'), b'R 5 21 ' + counted(b'Folder1\\file1.txt'),
         b'P 5', b'S 1 6 ' + digest, b'S 2 4 ' + digest, b'S 3 10 ' + digest, b'S 4', b'S 5 9 ' + digest]
open(path, 'wb').write(b''.join(b'%s #%08x\r\n' % (l, zlib.crc32(l)) for l in lines))
PY
    # The form the earlier release wrote, too: the same lines, form 1.
    mkdir -p "$root/.qvsetup-78"
    sed 's/^qvsetup-journal 2/qvsetup-journal 1/' "$staging/journal" >"$root/.qvsetup-78/journal"
    inside=$(snapshot "$work/place") outside=$(snapshot "$work/outside")
    rm -f "$log"
    run v1 "/S /LOG=$wlog /D=$(winpath "$work/place")"
    expect_status 0
    expect_log "kept: $(winpath "$staging"): no journal of this installer's own tells what it holds"
    expect_log "kept: $(winpath "$root/.qvsetup-78"): no journal of this installer's own"
    [ "$(snapshot "$work/place")" = "$inside" ] ||
      fail "the install folder changed: $(diff <(echo "$inside") <(snapshot "$work/place") | head -6)"
    [ "$(snapshot "$work/outside")" = "$outside" ] || fail "a file outside changed"
    [ "$(stat -c %a "$work/outside/ro.txt")" = 444 ] || fail "ro.txt is no longer read-only"
    [ "$(stat -c %h "$work/outside/ro.txt")" = 2 ] || fail "ro.txt lost its second name"
    ;;
  *) fail "unknown case" ;;
esac
echo "integrity $case: ok"
