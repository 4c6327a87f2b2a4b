#!/usr/bin/env bash
# End-to-end checks of the install record, the Apps & features entry, the
# uninstaller and upgrades under Wine, through the real setup.exe: each case
# lays out its distributions, installs with /S, reads the entry back with the
# prefix's reg.exe, and runs the uninstaller the entry names, as Apps &
# features would, through run_watched (no window may show under /S).
#
#   uninstall-test.sh RIG RIG_HOME RUN_WATCHED PROGRAM CASE [HOLD_MODULE PLUGIN_DLL]
#
# HOLD_MODULE (hold_module.exe) plays a host with a plug-in loaded, the
# DLL PLUGIN_DLL installed as one.
set -uo pipefail
rig=$1 home=$2 watcher=$3 program=$4 case=$5 hold_module=${6:-} plugin_dll=${7:-}
export LC_ALL=C.UTF-8
fail() { echo "FAIL ($case): $*"; [ -f "${log:-}" ] && sed 's/^/  log| /' "$log" | tail -40; exit 1; }

# Moving Common Files changes the prefix for every program in it: that
# case has a prefix of its own.
if [ "$case" = common-files-moved ]; then
  home=$(dirname "$home")/uninstall-tests/own-prefix
  rm -rf "$home"
  "$rig" --home "$home" --start >/dev/null 2>&1 || fail "no rig of its own"
  trap '"$rig" --home "$home" --stop >/dev/null 2>&1; rm -rf "$home"' EXIT
fi
eval "$("$rig" --home "$home" --env)" || fail "no rig"
winpath() { winepath -w "$1" 2>/dev/null; }
reg="${WINELOADER:-wine} reg"

work=$(dirname "$home")/uninstall-tests/$(basename "$home")/$case
rm -rf "$work"
mkdir -p "$work/place"
log=$work/setup.log
wlog=$(winpath "$log")
# The case's own product: installs register their product, and cases run
# side by side in one prefix.
product="Quorvin Removal $case"
# A name the Japanese code page has no "è" for.
[ "$case" = unicode ] && product="Quorvin Lumière"
key="HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Kestrova.$product"
. "$(dirname "$0")/common-files.sh"
unregister() {
  $reg delete "$key" /f /reg:32 >/dev/null 2>&1
  rm -rf "$records/$product"
}
unregister
[ "$case" = common-files-moved ] || trap unregister EXIT

# A distribution NAME of version VERSION ("" for none) whose payload
# folder KIND holds the files given as PATH=CONTENTS.
dist() {  # NAME VERSION KIND PATH=CONTENTS...
  local name=$1 version=$2 kind=$3 files=$work/$1/"install files"
  shift 3
  mkdir -p "$files/$kind"
  cp "$program" "$work/$name/setup.exe"
  { printf '%s\r\n' "$product"; [ -z "$version" ] || printf 'Version: %s\r\n' "$version"; } >"$files/product.txt"
  for spec in "$@"; do
    mkdir -p "$(dirname "$files/$kind/${spec%%=*}")"
    printf '%s' "${spec#*=}" >"$files/$kind/${spec%%=*}"
  done
}

# Runs a program of the prefix with the raw options given; keeps status
# and output.
run() {  # [--hold FILE] PROGRAM-WINDOWS-PATH OPTIONS
  local hold=()
  if [ "$1" = --hold ]; then hold=("$1" "$2"); shift 2; fi
  out=$(QV_CHILD_COMMAND_LINE="\"$1\" $2" "$rig" --home "$home" "$watcher" "${hold[@]}" 2>&1)
  status=$?
  grep -q '^windows: 0' <<<"$out" || fail "a window appeared: $out"
}
install() {  # NAME OPTIONS
  run "$(winpath "$work/$1/setup.exe")" "/S /LOG=$wlog $2"
}
expect_status() { [ "$status" -eq "$1" ] || fail "exit status $status, expected $1; output: $out"; }
expect_log() { grep -qF -- "$1" "$log" || fail "the log lacks: $1"; }

# The entry's value NAME, as reg.exe shows it ("REG_SZ<TAB>text").
value() {  # NAME
  $reg query "$key" /v "$1" /reg:32 2>/dev/null | tr -d '\r' |
    sed -n "s/^ *$1 *\(REG_[A-Z_]*\) *\(.*\)$/\1 \2/p"
}
expect_value() { [ "$(value "$1")" = "$2" ] || fail "$1 is '$(value "$1")', expected '$2'"; }
entry_exists() { $reg query "$key" /reg:32 >/dev/null 2>&1; }
# A text value as the registry holds it, in UTF-8: reg.exe shows values in
# the console's code page, where most scripts are question marks; its
# export is UTF-16.
exported_value() {  # NAME
  rm -f "$work/entry.reg"
  $reg export "$key" "$(winpath "$work")\\entry.reg" /reg:32 /y >/dev/null 2>&1
  iconv -f UTF-16 -t UTF-8 "$work/entry.reg" 2>/dev/null | tr -d '\r' | sed -n "s/^\"$1\"=\"\(.*\)\"$/\1/p" |
    sed 's/\\\(.\)/\1/g'  # the export's escapes: \\ and \"
}
expect_exported() { [ "$(exported_value "$1")" = "$2" ] || fail "$1 is '$(exported_value "$1")', expected '$2'"; }

# The uninstaller as the entry's quiet command names it, with a log.
uninstall() {  # [--hold FILE] [EXTRA OPTIONS]
  local hold=()
  if [ "${1:-}" = --hold ]; then hold=("$1" "$2"); shift 2; fi
  local quiet
  quiet=$(exported_value QuietUninstallString)
  local exe=${quiet#\"}
  exe=${exe%%\"*}
  [ "$quiet" = "\"$exe\" /UNINSTALL /S" ] || fail "QuietUninstallString is '$quiet'"
  run "${hold[@]}" "$exe" "/UNINSTALL /S /LOG=$wlog ${1:-}"
}

snapshot() {  # folder
  (cd "$1" && find . | sort && find . -type f -printf '%p %s %T@\n' | sort && find . -type f -exec md5sum {} + | sort)
}

# A host, hold_module.exe, with the installed plug-in FILE loaded until
# stop_host; its output and status go to host.out and host.status.
start_host() {  # FILE
  rm -f "$work/stop" "$work/host.out" "$work/host.status"
  ("$rig" --home "$home" "$hold_module" "$(winpath "$1")" "$(winpath "$work")\\stop" >"$work/host.out" 2>&1
   echo $? >"$work/host.status") &
  for _ in $(seq 100); do grep -q "^loaded" "$work/host.out" 2>/dev/null && break; sleep 0.1; done
  grep -q "^loaded" "$work/host.out" || fail "the host did not load the plug-in: $(cat "$work/host.out" 2>/dev/null)"
}
host_running() { [ ! -e "$work/host.status" ]; }
stop_host() {
  touch "$work/stop"
  for _ in $(seq 100); do [ -e "$work/host.status" ] && break; sleep 0.1; done
  grep -q "still running" "$work/host.out" || fail "the host did not run to its end: $(cat "$work/host.out")"
}
pending_removals() {
  $reg query 'HKLM\System\CurrentControlSet\Control\Session Manager' /v PendingFileRenameOperations 2>/dev/null | tr -d '\r'
}

# Photoshop 22.0, 23.0 and 24.0 (the newest in the 64-bit view) with
# their plug-in folders in place/PS<n>, and a 25.0 without one; removed
# when the case ends.
photoshops() {
  ps='HKLM\Software\Adobe\Photoshop'
  clean_hosts() { for view in 32 64; do $reg delete "$ps" /f /reg:$view >/dev/null 2>&1; done; }
  clean_hosts
  trap 'clean_hosts; unregister' EXIT
  for v in 22 23 24; do
    mkdir -p "$work/place/PS$v"
    view=32; [ $v = 24 ] && view=64
    $reg add "$ps\\$v.0" /v PluginPath /d "$(winpath "$work/place/PS$v")" /f /reg:$view >/dev/null 2>&1 || fail "reg add"
  done
  $reg add "$ps\\25.0" /f /reg:32 >/dev/null 2>&1 || fail "reg add"
}

case $case in
  unicode)
    # Names in any script, whatever the system's code page: "Lumière" on a
    # Japanese system (932), then Japanese and emoji file names on a western
    # one (1252). The folder, the record, the entry and the uninstaller are
    # right for both, and the uninstaller removes every file.
    dist v1 1.0 "App Files" a.txt=alpha Sub/b.txt=beta
    LC_ALL=ja_JP.UTF-8 install v1 "/D=$(winpath "$work/place")"
    expect_status 0
    [ -f "$work/place/$product/Sub/b.txt" ] || fail "not installed into \"$product\": $(ls "$work/place")"
    expect_exported DisplayName "$product"
    expect_exported InstallLocation "$(winpath "$work/place")\\$product"
    expect_exported QuietUninstallString "\"$wrecords\\$product\\uninstall.exe\" /UNINSTALL /S"
    [ -f "$records/$product/install record" ] || fail "no record in \"$records/$product\""
    head -n 2 "$records/$product/install record" | grep -q "^product 16:$product"$'\r$' ||
      fail "the record does not name the product in UTF-8: $(head -n 2 "$records/$product/install record")"
    LC_ALL=ja_JP.UTF-8 uninstall
    expect_status 0
    [ -z "$(ls -A "$work/place")" ] || fail "left after the uninstall: $(cd "$work/place" && find .)"
    ! entry_exists || fail "the entry is still there"
    rm -f "$log"
    dist v2 2.0 "App Files" "日本語/説明書.txt=nihongo" "🎨 art.png=art" "ｄist.txt=wide"
    install v2 "/D=$(winpath "$work/place")"
    expect_status 0
    for f in "日本語/説明書.txt" "🎨 art.png" "ｄist.txt"; do
      [ -f "$work/place/$product/$f" ] || fail "$f was not installed"
    done
    [ ! -e "$work/place/$product/dist.txt" ] || fail "a look-alike was made"
    grep -qF "$(printf 'file 3 %s 12:\xf0\x9f\x8e\xa8 art.png' "$(printf 'art' | sha256sum | cut -c1-64)")" \
      "$records/$product/install record" || fail "the record lacks the emoji's file: $(cat "$records/$product/install record")"
    expect_log "exit status: 0"
    uninstall
    expect_status 0
    expect_log "removed: 3 files, "
    [ -z "$(ls -A "$work/place")" ] || fail "left after the uninstall: $(cd "$work/place" && find .)"
    ! entry_exists || fail "the entry is still there"
    ;;
  three-hosts-killed)
    # An install into three folders killed before its group's marker, and
    # again after it: the next run undoes all three (the earlier install
    # comes back in each) or finishes all three; never some of them.
    photoshops
    dist v1 1.0 "PS Files" a.txt=one Sub/z.txt=zed old.txt=old
    dist v2 2.0 "PS Files" a.txt=two Sub/z.txt=zed2
    dist bad 3.0 "PS Files" nul.txt=device
    for point in registered group-committed; do
      install v1 "/HOSTS=all"; expect_status 0
      before=$(snapshot "$work/place")
      out=$(QVSETUP_TEST_KILL_AT=$point QV_CHILD_COMMAND_LINE="\"$(winpath "$work/v2/setup.exe")\" /S /HOSTS=all" \
              "$rig" --home "$home" "$watcher" 2>&1)
      # The journals are the admin folder's, shared by the prefix's runs.
      ours() { grep -laF "$product" "$records/journals"/* 2>/dev/null; }
      [ "$(ours | wc -l)" = 3 ] || fail "killed at $point, not three journals: $(ls "$records/journals" 2>&1)"
      : >"$log"
      install bad "/HOSTS=all"; expect_status 1
      expect_log "recovered: "
      if [ $point = registered ]; then
        [ "$(snapshot "$work/place")" = "$before" ] || fail "v1 is not back: $(diff <(echo "$before") <(snapshot "$work/place") | head)"
        expect_value DisplayVersion "REG_SZ 1.0"
      else
        for v in 22 23 24; do
          [ "$(cat "$work/place/PS$v/$product/a.txt")" = two ] && [ ! -e "$work/place/PS$v/$product/old.txt" ] ||
            fail "v2 is not whole in PS$v"
        done
        expect_value DisplayVersion "REG_SZ 2.0"
      fi
      [ -z "$(find "$work/place" -name '.qvsetup-*')" ] || fail "a staging folder is left"
      [ -z "$(ours)" ] || fail "journals are left: $(ours)"
      uninstall; expect_status 0
      for v in 22 23 24; do [ ! -e "$work/place/PS$v/$product" ] || fail "left in PS$v"; done
      ! entry_exists || fail "the entry is still there"
    done
    ;;
  three-hosts)
    # Three Photoshop versions, each with its own plug-in folder (the
    # newest in the 64-bit view): /HOSTS=all installs into the three as
    # one install, one entry; a failure in the second leaves all three as
    # they were; the upgrade goes into the recorded three; the uninstaller
    # removes from each.
    photoshops
    dist v1 1.0 "PS Files" a.txt=one Sub/z.txt=zed
    dist v2 2.0 "PS Files" a.txt=two Sub/z.txt=zed2
    # The newest, 25.0, has no folder: under /HOSTS=newest there is none.
    install v1 ""; expect_status 2
    mkdir -p "$work/place/PS23/$product/Sub"; printf 'theirs' >"$work/place/PS23/$product/Sub/z.txt"
    before=$(snapshot "$work/place")
    run --hold "$(winpath "$work/place/PS23/$product/Sub/z.txt")" "$(winpath "$work/v1/setup.exe")" "/S /LOG=$wlog /HOSTS=all"
    expect_status 1
    # Undone in the copy, after the first folder's files were placed.
    grep -q "^undone: [1-9][0-9]* files removed" "$log" || fail "not undone after a copy: $(grep undone "$log")"
    [ "$(snapshot "$work/place")" = "$before" ] || fail "a folder changed: $(diff <(echo "$before") <(snapshot "$work/place") | head -5)"
    ! entry_exists || fail "an entry was made"
    rm -rf "$work/place/PS23/$product"
    : >"$log"; install v1 "/HOSTS=all"; expect_status 0
    for v in 22 23 24; do [ "$(cat "$work/place/PS$v/$product/a.txt")" = one ] || fail "not installed in PS$v"; done
    expect_log "folder: $(winpath "$work/place/PS24")\\$product"
    expect_value InstallLocation "REG_SZ $(winpath "$work/place/PS24")\\$product"
    [ "$(find "$records/$product" -name 'install record*' | wc -l)" = 3 ] || fail "not a record per folder: $(ls "$records/$product")"
    : >"$log"; install v2 ""; expect_status 0
    for v in 22 23 24; do [ "$(cat "$work/place/PS$v/$product/a.txt")" = two ] || fail "PS$v not upgraded"; done
    expect_value DisplayVersion "REG_SZ 2.0"
    uninstall; expect_status 0
    for v in 22 23 24; do [ ! -e "$work/place/PS$v/$product" ] || fail "left in PS$v"; done
    ! entry_exists || fail "the entry is still there"
    ;;
  host-running)
    # A re-install while a host has the plug-in loaded: the loaded file is
    # moved aside, the new one put in place, the earlier one removed at the
    # next start; the host runs on. A failure after the move puts the
    # loaded file back whole. Sub\z.txt comes after plugin.8bf in the copy.
    dist v1 1.0 "PS Files" Sub/z.txt=one
    dist v2 2.0 "PS Files" Sub/z.txt=two
    cp "$plugin_dll" "$work/v1/install files/PS Files/plugin.8bf"
    { cat "$plugin_dll"; printf 'version 2'; } >"$work/v2/install files/PS Files/plugin.8bf"
    dest=$work/place/$product
    install v1 "/D=$(winpath "$work/place")"; expect_status 0
    trap 'touch "$work/stop"; unregister' EXIT
    start_host "$dest/plugin.8bf"

    run --hold "$(winpath "$dest/Sub/z.txt")" "$(winpath "$work/v2/setup.exe")" "/S /LOG=$wlog /D=$(winpath "$work/place")"
    expect_status 1
    expect_log "1 replaced file put back"
    cmp -s "$dest/plugin.8bf" "$plugin_dll" || fail "the loaded plug-in was not put back whole"
    ! find "$dest" -name '.qvsetup-*' | grep -q . || fail "a staging folder was left after the undo"

    rm -f "$log"; install v2 "/D=$(winpath "$work/place")"
    expect_status 8
    cmp -s "$dest/plugin.8bf" "$work/v2/install files/PS Files/plugin.8bf" || fail "the new plug-in is not in place"
    expect_log "in use: $(winpath "$dest")\\plugin.8bf: replaced"
    expect_log "restart: Photoshop"
    aside=$(sed -n 's/^scheduled: \(.*\): the earlier version, still in use, is removed at the next start.*/\1/p' "$log" | tr -d '\r')
    [ -n "$aside" ] || fail "no earlier version scheduled for removal"
    pending_removals | grep -qF "${aside#\\\\?\\}" || fail "$aside is not scheduled: $(pending_removals)"
    host_running || fail "the host ended: $(cat "$work/host.out")"

    # The next run, with the host still running, is not held up by it.
    rm -f "$log"; install v2 "/D=$(winpath "$work/place")"
    expect_status 0
    expect_log "an earlier version still in use, removed at the next start"

    # An uninstall while the host still runs removes every file of the
    # product; the folder holding the earlier version goes at the next start.
    : >"$log"; uninstall; expect_status 0
    [ "$(find "$dest" -type f | wc -l)" = 1 ] || fail "more than the held version is left: $(find "$dest" -type f)"
    expect_log "scheduled: $(winpath "$dest"): removed at the next start"
    pending_removals | grep -qF "$(winpath "$dest")" || fail "the folder's removal is not scheduled"
    ! entry_exists || fail "the entry is still there"
    host_running || fail "the host ended: $(cat "$work/host.out")"
    stop_host
    # The finished install's journal goes with them at the next start.
    journals=$(grep -rlaF "$(winpath "$dest")" "$records/journals" 2>/dev/null)
    [ -n "$journals" ] || fail "no journal is kept for the earlier version still held"
    while read -r journal; do
      pending_removals | grep -qF "$(basename "$journal")" || fail "$journal is left, and not scheduled"
    done <<<"$journals"
    ;;
  uninstall)
    # Install, read the entry, change one installed file and add one of the
    # user's own, uninstall: exactly what was installed and unchanged goes.
    dist v1 2.1.0 "App Files" a.txt=alpha Sub/b.txt=beta Sub/Deep/c.txt=gamma Empty/.keep=x
    mkdir -p "$work/Empty"
    install v1 "/D=$(winpath "$work/place/new")"
    expect_status 0
    dest=$work/place/new/$product
    [ -f "$dest/Sub/Deep/c.txt" ] || fail "not installed"
    wdest=$(winpath "$work/place/new")\\$product
    uninstaller="$wrecords\\$product\\uninstall.exe"
    expect_value DisplayName "REG_SZ $product"
    expect_value DisplayVersion "REG_SZ 2.1.0"
    expect_value Publisher "REG_SZ Kestrova"
    expect_value InstallLocation "REG_SZ $wdest"
    expect_value UninstallString "REG_SZ \"$uninstaller\" /UNINSTALL"
    expect_value QuietUninstallString "REG_SZ \"$uninstaller\" /UNINSTALL /S"
    expect_value DisplayIcon "REG_SZ $uninstaller,0"
    expect_value EstimatedSize "REG_DWORD 0x1"
    expect_value NoModify "REG_DWORD 0x1"
    expect_value NoRepair "REG_DWORD 0x1"
    [[ "$(value InstallDate)" =~ ^REG_SZ\ 20[0-9]{6}$ ]] || fail "InstallDate is '$(value InstallDate)'"
    cmp -s "$program" "$records/$product/uninstall.exe" || fail "the uninstaller is not a byte copy of setup.exe"
    printf 'mine' >"$dest/Sub/notes.txt"
    printf 'edited' >"$dest/Sub/Deep/c.txt"
    uninstall
    expect_status 0
    expect_log "mode: unattended uninstall"
    expect_log "kept: $wdest\\Sub\\Deep\\c.txt (changed since the install)"
    expect_log "removed: 2 files, "
    expect_log "exit status: 0"
    [ "$(cd "$work/place" && find . | sort | tr '\n' ' ')" = \
      ". ./new ./new/$product ./new/$product/Sub ./new/$product/Sub/Deep ./new/$product/Sub/Deep/c.txt ./new/$product/Sub/notes.txt " ] ||
      fail "left: $(cd "$work/place" && find . | sort | tr '\n' ' ')"
    ! entry_exists || fail "the entry is still there"
    [ ! -e "$records/$product" ] || fail "the record's folder is still there: $(ls -A "$records/$product")"
    # Folders /D= named that were not there go too, once empty.
    install v1 "/D=$(winpath "$work/place/made/deeper")"
    expect_status 0
    uninstall
    expect_status 0
    [ ! -e "$work/place/made" ] || fail "made folders left: $(cd "$work/place/made" && find . | tr '\n' ' ')"
    # Nothing is left to remove now: no record, a failure that changes nothing.
    run "$(winpath "$work/v1/setup.exe")" "/UNINSTALL /S /LOG=$wlog"
    expect_status 1
    expect_log "there is no install record beside the uninstaller"
    ;;
  uninstall-held)
    # A file in use fails the uninstall before anything changes.
    dist v1 1.0 "App Files" a.txt=alpha Sub/b.txt=beta Sub/c.txt=gamma
    install v1 "/D=$(winpath "$work/place")"
    expect_status 0
    before=$(snapshot "$work/place")
    held=$(winpath "$work/place/$product/Sub/c.txt")
    uninstall --hold "$held"
    expect_status 1
    grep -q "^error: $(sed 's/[\\.]/\\&/g' <<<"$held"): .* (error 32)"$'\r$' "$log" || fail "no error naming $held"
    expect_log "exit status: 1"
    [ "$(snapshot "$work/place")" = "$before" ] || fail "the install changed: $(diff <(echo "$before") <(snapshot "$work/place") | head)"
    entry_exists || fail "the entry went"
    [ -f "$records/$product/install record" ] || fail "the record went"
    uninstall
    expect_status 0
    [ -z "$(ls -A "$work/place")" ] || fail "left: $(ls -A "$work/place")"
    ;;
  desktop)
    # An FxPlug payload installs into the location itself: a folder full of
    # other files, as a Desktop is. Only the payload's files go.
    dist v1 "" "FX Files" Lumen.fxplug/Contents/Info.plist=plist Lumen.fxplug/Contents/bin=code readme.txt=ours
    desk=$work/place/Desktop
    mkdir -p "$desk/Photos" "$desk/Lumen.fxplug"
    printf 'holiday' >"$desk/Photos/1.jpg"
    printf 'theirs' >"$desk/todo.txt"
    printf 'theirs too' >"$desk/Lumen.fxplug/notes.txt"
    install v1 "/D=$(winpath "$desk")"
    expect_status 0
    expect_value DisplayName "REG_SZ $product"
    [ -z "$(value DisplayVersion)" ] || fail "a DisplayVersion without a version"
    uninstall
    expect_status 0
    [ "$(cd "$desk" && find . | sort | tr '\n' ' ')" = \
      ". ./Lumen.fxplug ./Lumen.fxplug/notes.txt ./Photos ./Photos/1.jpg ./todo.txt " ] ||
      fail "left: $(cd "$desk" && find . | sort | tr '\n' ' ')"
    ;;
  upgrade)
    # v1 -> v2 without /D=: the recorded location, v1-only files and
    # folders gone, v1-only changed files kept, one entry with v2.
    dist v1 1.0.0 "App Files" a.txt=one1 old.txt=old Old/x.txt=x Old/edited.txt=e same.txt=same
    dist v2 2.0.0 "App Files" a.txt=two2 new.txt=new same.txt=same
    install v1 "/D=$(winpath "$work/place")"
    expect_status 0
    printf 'changed' >"$work/place/$product/Old/edited.txt"
    touch -d '2001-02-03' "$work/place/$product/same.txt"
    : >"$log"
    install v2 ""
    expect_status 0
    expect_log "destination: $(winpath "$work/place")\\$product"
    expect_log "earlier install: $(winpath "$work/place")\\$product, version 1.0.0"
    expect_log "kept: Old\\edited.txt (changed since it was installed)"
    expect_log "unchanged: $(winpath "$work/place")\\$product\\same.txt (4 bytes, left in place)"
    [ "$(cd "$work/place/$product" && find . -type f | sort | tr '\n' ' ')" = \
      "./Old/edited.txt ./a.txt ./new.txt ./same.txt " ] || fail "after v2: $(cd "$work/place/$product" && find . | sort | tr '\n' ' ')"
    [ "$(cat "$work/place/$product/a.txt")" = two2 ] || fail "a.txt is not v2's"
    [ "$(stat -c %Y "$work/place/$product/same.txt")" = "$(date -d 2001-02-03 +%s)" ] || fail "an unchanged file was rewritten"
    expect_value DisplayVersion "REG_SZ 2.0.0"
    [ "$($reg query 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall' /reg:32 2>/dev/null | tr -d '\r' |
         grep -c "Kestrova.$product\$")" = 1 ] ||
      fail "not one entry"
    # The uninstall of v2 still knows v1's folder: it goes once empty.
    rm "$work/place/$product/Old/edited.txt"
    uninstall
    expect_status 0
    [ -z "$(ls -A "$work/place")" ] || fail "left: $(cd "$work/place" && find . | sort | tr '\n' ' ')"
    ;;
  upgrade-fails)
    # v2 fails half-way (a file it replaces is in use): v1 is whole, with
    # its v1-only files and its entry.
    dist v1 1.0.0 "App Files" 1.txt=one Sub/2.txt=two Sub/old.txt=old
    dist v2 2.0.0 "App Files" 1.txt=ONE Sub/2.txt=TWO Sub/3.txt=three
    install v1 "/D=$(winpath "$work/place")"
    expect_status 0
    before=$(snapshot "$work/place")
    record=$(md5sum <"$records/$product/install record")
    run --hold "$(winpath "$work/place/$product/Sub/2.txt")" "$(winpath "$work/v2/setup.exe")" "/S /LOG=$wlog"
    expect_status 1
    expect_log "undone: "
    [ "$(snapshot "$work/place")" = "$before" ] || fail "v1 changed: $(diff <(echo "$before") <(snapshot "$work/place") | head)"
    expect_value DisplayVersion "REG_SZ 1.0.0"
    [ "$(md5sum <"$records/$product/install record")" = "$record" ] || fail "the record changed"
    [ -z "$(find "$records/$product" -name '*.new-*')" ] || fail "a staged record was left"
    ;;
  downgrade)
    # A lower version over a higher one: status 6 under /S, untouched; with
    # /ALLOWDOWNGRADE it installs.
    dist v2 2.0.0 "App Files" a.txt=two
    dist v1 1.9.9 "App Files" a.txt=one
    install v2 "/D=$(winpath "$work/place")"
    expect_status 0
    before=$(snapshot "$work/place")
    install v1 ""
    expect_status 6
    expect_log "$product 2.0.0 is installed, and this is the older version 1.9.9 (/ALLOWDOWNGRADE installs it anyway)"
    expect_log "exit status: 6"
    [ "$(snapshot "$work/place")" = "$before" ] || fail "the install changed"
    expect_value DisplayVersion "REG_SZ 2.0.0"
    # Into another folder it replaces nothing: no downgrade, and 2.0.0
    # stays where it is.
    install v1 "/D=$(winpath "$work/other")"
    expect_status 0
    [ "$(cat "$work/other/$product/a.txt")" = one ] && [ "$(snapshot "$work/place")" = "$before" ] ||
      fail "the install into another folder did not go as asked"
    # It is the last install now: the place of the one before is named.
    install v1 "/ALLOWDOWNGRADE /D=$(winpath "$work/place")"
    expect_status 0
    [ "$(cat "$work/place/$product/a.txt")" = one ] || fail "not downgraded"
    expect_value DisplayVersion "REG_SZ 1.9.9"
    # A release without a version goes down too.
    dist v0 "" "App Files" a.txt=none
    before=$(snapshot "$work/place")
    install v0 "/D=$(winpath "$work/place")"
    expect_status 6
    expect_log "$product 1.9.9 is installed, and this release has no version (/ALLOWDOWNGRADE installs it anyway)"
    [ "$(snapshot "$work/place")" = "$before" ] || fail "the install changed"
    # Allowed, it leaves no version of the earlier release in the entry.
    install v0 "/ALLOWDOWNGRADE /D=$(winpath "$work/place")"
    expect_status 0
    [ "$(cat "$work/place/$product/a.txt")" = none ] || fail "not installed"
    expect_value DisplayVersion ""
    entry_exists || fail "no entry"
    ;;
  hostile-record)
    # A record changed after the install (here: a path climbing out of the
    # install folder, its CRC made to match) is refused whole: nothing is
    # removed anywhere, and the uninstaller says why.
    dist v1 "" "App Files" a.txt=alpha
    install v1 "/D=$(winpath "$work/place")"
    expect_status 0
    printf 'precious' >"$work/precious.txt"
    r=$records/$product/"install record"
    python3 - "$r" <<'PY'
import sys, zlib
path = sys.argv[1]
lines = open(path, 'rb').read().split(b'\r\n')[:-2]
name = b'..\\precious.txt'
lines.append(b'file 8 %s %d:%s' % (b'0' * 64, len(name), name))
body = b''.join(l + b'\r\n' for l in lines)
open(path, 'wb').write(body + b'end %d %08x\r\n' % (len(lines), zlib.crc32(body)))
PY
    uninstall
    expect_status 1
    expect_log "cannot be used: a file's path is not a name inside the destination"
    [ -f "$work/precious.txt" ] && [ -f "$work/place/$product/a.txt" ] || fail "something was removed"
    entry_exists || fail "the entry went"
    ;;
  links)
    # The record's folder made a link elsewhere: the install writes no
    # record through it, and is undone.
    dist v1 "" "App Files" a.txt=alpha
    mkdir -p "$records" "$work/elsewhere"
    ln -s "$work/elsewhere" "$records/$product"
    install v1 "/D=$(winpath "$work/place")"
    expect_status 1
    expect_log "the installer writes in none"
    [ -z "$(ls -A "$work/place")" ] && [ -z "$(ls -A "$work/elsewhere")" ] || fail "something was written"
    ! entry_exists || fail "an entry was made"
    rm "$records/$product"
    # The install folder made a link after the install: the uninstall
    # removes nothing through it, and says so.
    install v1 "/D=$(winpath "$work/place")"
    expect_status 0
    mv "$work/place/$product" "$work/moved"
    ln -s "$work/moved" "$work/place/$product"
    uninstall
    expect_status 1
    expect_log "the install folder is now a link, a junction or a file"
    [ -f "$work/moved/a.txt" ] || fail "a file was removed through the link"
    entry_exists || fail "the entry went"
    ;;
  two-folders)
    # Installed into A, then into B, then into A again: both stay recorded
    # (B's beside the record), the third install is an upgrade in A, and
    # the uninstaller removes what each record tells of; the user's files
    # in both folders stay.
    dist v1 1.0 "App Files" a.txt=alpha Sub/b.txt=beta
    dist v2 2.0 "App Files" a.txt=ALPHA Sub/c.txt=gamma
    install v1 "/D=$(winpath "$work/place/A")"
    expect_status 0
    printf 'mine' >"$work/place/A/mine.txt"
    : >"$log"
    install v2 "/D=$(winpath "$work/place/B")"
    expect_status 0
    expect_log "earlier install: left as it is in $(winpath "$work/place/A")\\$product, and kept in the record for the uninstaller"
    [ "$(find "$records/$product" -name 'install record *' | wc -l)" = 1 ] || fail "A's record is not kept: $(ls "$records/$product")"
    printf 'mine' >"$work/place/B/mine.txt"
    : >"$log"
    install v2 "/D=$(winpath "$work/place/A")"
    expect_status 0
    expect_log "earlier install: $(winpath "$work/place/A")\\$product, version 1.0"
    [ ! -e "$work/place/A/$product/Sub/b.txt" ] || fail "v1's own file is left in A"
    [ "$(find "$records/$product" -name 'install record *' | wc -l)" = 1 ] || fail "not one kept record: $(ls "$records/$product")"
    uninstall
    expect_status 0
    [ "$(cd "$work/place" && find . | sort | tr '\n' ' ')" = ". ./A ./A/mine.txt ./B ./B/mine.txt " ] ||
      fail "left: $(cd "$work/place" && find . | sort | tr '\n' ' ')"
    ! entry_exists || fail "the entry is still there"
    [ ! -e "$records/$product" ] || fail "the records are still there: $(ls -A "$records/$product")"
    ;;
  kill-registered)
    # Killed once the new record, uninstaller and entry are in force, before
    # the commit, and again once the commit is on the disk: the next run
    # undoes the first (the earlier install comes back with its record and
    # entry) and finishes the second; the uninstaller then leaves nothing.
    dist v1 1.0 "App Files" a.txt=one Sub/b.txt=b old.txt=old
    dist v2 2.0 "App Files" a.txt=two Sub/b.txt=b new.txt=new
    dist bad 3.0 "App Files" nul.txt=device
    for point in registered committed; do
      install v1 "/D=$(winpath "$work/place")"
      expect_status 0
      before=$(snapshot "$work/place")
      record=$(md5sum <"$records/$product/install record")
      out=$(QVSETUP_TEST_KILL_AT=$point QV_CHILD_COMMAND_LINE="\"$(winpath "$work/v2/setup.exe")\" /S" \
              "$rig" --home "$home" "$watcher" 2>&1)
      [ -n "$(find "$records/journals" -type f 2>/dev/null)" ] || fail "killed at $point, no journal was left"
      : >"$log"
      install bad ""
      expect_status 1
      expect_log "recovered: "
      if [ $point = registered ]; then
        [ "$(snapshot "$work/place")" = "$before" ] || fail "v1 is not back: $(diff <(echo "$before") <(snapshot "$work/place") | head)"
        [ "$(md5sum <"$records/$product/install record")" = "$record" ] || fail "v1's record is not back"
        expect_value DisplayVersion "REG_SZ 1.0"
      else
        [ "$(cat "$work/place/$product/a.txt")" = two ] && [ ! -e "$work/place/$product/old.txt" ] || fail "v2 is not whole"
        expect_value DisplayVersion "REG_SZ 2.0"
      fi
      left=$(find "$records/$product" -name '*.new-*' -o -name '*.old-*')
      [ -z "$left" ] || fail "staged files are left: $left"
      [ -z "$(find "$work/place" -name '.qvsetup-*')" ] || fail "a staging folder is left"
      uninstall
      expect_status 0
      [ -z "$(ls -A "$work/place")" ] || fail "left: $(cd "$work/place" && find . | sort | tr '\n' ' ')"
      ! entry_exists || fail "the entry is still there"
      [ ! -e "$records/$product" ] || fail "the records are still there: $(ls -A "$records/$product")"
      ! grep -rlF "$product" "$records/journals" 2>/dev/null | grep -q . || fail "a journal of the product is left"
    done
    ;;
  kill-unregistering)
    # Killed as the uninstaller removes the record and the entry: the next
    # run of the product finishes that before it goes on.
    dist v1 1.0 "App Files" a.txt=one
    dist bad 3.0 "App Files" nul.txt=device
    install v1 "/D=$(winpath "$work/place")"
    expect_status 0
    quiet=$(value QuietUninstallString)
    exe=${quiet#REG_SZ \"}
    exe=${exe%%\"*}
    out=$(QVSETUP_TEST_KILL_AT=unregistering QV_CHILD_COMMAND_LINE="\"$exe\" /UNINSTALL /S" "$rig" --home "$home" "$watcher" 2>&1)
    [ -z "$(ls -A "$work/place")" ] || fail "the files were not removed"
    entry_exists || fail "killed before it, the entry is gone already"
    : >"$log"
    install bad ""
    expect_status 1
    expect_log "recovered: "
    ! entry_exists || fail "the entry is still there"
    [ ! -e "$records/$product" ] || fail "the records are still there: $(ls -A "$records/$product")"
    ;;
  common-files-moved)
    # Common Files moved to another drive (Q:, the prefix's own value):
    # the record and uninstaller go there, and the entry names them; a
    # product registered before the move stays where its record lies.
    dist v1 1.0 "App Files" a.txt=one
    dist v2 2.0 "App Files" a.txt=two
    dist other 1.0 "App Files" b.txt=b
    sed -i '1s/\r$/ Other\r/' "$work/other/install files/product.txt"
    install v1 "/D=$(winpath "$work/place")"
    expect_status 0
    legacy=$records
    mkdir -p "$work/q"
    ln -sfn "$work/q" "$WINEPREFIX/dosdevices/q:"
    cf='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion'
    $reg add "$cf" /v CommonFilesDir /d 'Q:\Shared Files' /f /reg:32 >/dev/null || fail "the value cannot be set"
    install other "/D=$(winpath "$work/place")"
    expect_status 0
    [ -f "$work/q/Shared Files/Kestrova Uninstall/$product Other/install record" ] || fail "not recorded on Q:"
    key_other="${key} Other"
    $reg query "$key_other" /v UninstallString /reg:32 2>/dev/null | tr -d '\r' |
      grep -qF "\"Q:\\Shared Files\\Kestrova Uninstall\\$product Other\\uninstall.exe\" /UNINSTALL" ||
      fail "the entry does not name Q:"
    install v2 ""
    expect_status 0
    [ "$(cat "$legacy/$product/install record" | sed -n 's/^version [0-9]*://p' | tr -d '\r')" = 2.0 ] ||
      fail "the upgrade did not keep the record where it was"
    [ ! -e "$work/q/Shared Files/Kestrova Uninstall/$product" ] || fail "a second record was made on Q:"
    # A value to expand takes its parts from the environment of whoever
    # starts the installer: the fixed path instead, never the folder named.
    dist third 1.0 "App Files" c.txt=c
    sed -i '1s/\r$/ Third\r/' "$work/third/install files/product.txt"
    mkdir -p "$work/elsewhere"
    $reg add "$cf" /v CommonFilesDir /t REG_EXPAND_SZ /d '%QV_ELSEWHERE%\Shared' /f /reg:32 >/dev/null ||
      fail "the value cannot be set"
    QV_ELSEWHERE=$(winpath "$work/elsewhere") install third "/D=$(winpath "$work/place")"
    expect_status 0
    [ -z "$(ls -A "$work/elsewhere")" ] || fail "recorded where the environment pointed: $(find "$work/elsewhere")"
    [ -f "$legacy/$product Third/install record" ] || fail "not recorded under the fixed path"
    key_third="${key} Third"
    $reg add "$cf" /v CommonFilesDir /d 'Q:\Shared Files' /f /reg:32 >/dev/null || fail "the value cannot be set"
    uninstall
    expect_status 0
    key=$key_other
    uninstall
    expect_status 0
    key=$key_third
    uninstall
    expect_status 0
    [ -z "$(ls -A "$work/place")" ] || fail "left: $(cd "$work/place" && find . | sort | tr '\n' ' ')"
    [ ! -e "$work/q/Shared Files/Kestrova Uninstall" ] || fail "left on Q:: $(find "$work/q")"
    ;;
  *) fail "unknown case" ;;
esac
echo "uninstall $case: ok"
