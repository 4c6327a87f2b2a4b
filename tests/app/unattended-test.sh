#!/usr/bin/env bash
# End-to-end checks of the unattended install (setup.exe /S ...) under Wine.
# The program under test is a parameter: the real setup.exe, or any program
# that reads its command line the same way. Each case lays out a
# distribution folder of its own, copies the program into it (the program
# finds "install files" beside itself), runs it through run_watched (which
# fails the case if any window of it becomes visible) and checks the exit
# status, the installed files and the log.
#
#   unattended-test.sh RIG RIG_HOME RUN_WATCHED PROGRAM CASE
#
# CASE: installs spaces quoted case default fxplug no-location no-product
#       locked unknown-option usage-without-s japanese
set -uo pipefail
rig=$1 home=$2 watcher=$3 program=$4 case=$5
fail() { echo "FAIL ($case): $*"; [ -f "${log:-}" ] && sed 's/^/  log| /' "$log" | head -40; exit 1; }

eval "$("$rig" --home "$home" --env)" || fail "no rig"
winpath() { winepath -w "$1" 2>/dev/null; }

work=$(dirname "$home")/unattended-tests/$case
rm -rf "$work"
dist=$work/dist
files=$dist/"install files"
mkdir -p "$files"
cp "$program" "$dist/setup.exe"
product="Quorvin Test"
log=$work/setup.log
wlog=$(winpath "$log")

# A payload with sub-folders, an empty file, a file the copy skips and
# enough files for the log to be written in several batches.
payload() {  # folder name
  local p=$files/$1
  mkdir -p "$p/Sub/Deep" "$p/Many"
  printf 'alpha\r\n' >"$p/a.txt"
  : >"$p/empty.bin"
  printf 'beta' >"$p/Sub/b.txt"
  head -c 100000 /dev/urandom >"$p/Sub/Deep/c.bin"
  echo "not installed" >"$p/.DS_Store"
  for i in $(seq -w 1 600); do echo "$i" >"$p/Many/file$i.txt"; done
}

# Runs the program with the raw options given (the program's quoted path
# comes first) and keeps the status and output.
run() {  # [--hold FILE] -- OPTIONS
  local hold=()
  if [ "$1" = --hold ]; then hold=(--hold "$2"); shift 2; fi
  [ "$1" = -- ] && shift
  out=$(QV_CHILD_COMMAND_LINE="\"$(winpath "$dist/setup.exe")\" $*" \
        "$rig" --home "$home" "$watcher" "${hold[@]}" 2>&1)
  status=$?
  grep -q '^windows: 0' <<<"$out" || fail "a window appeared: $out"
}

expect_status() { [ "$status" -eq "$1" ] || fail "exit status $status, expected $1; output: $out"; }
expect_log() { grep -qF -- "$1" "$log" || fail "the log lacks: $1"; }

# The destination holds exactly the payload, without what the copy skips.
expect_installed() {  # payload-folder destination
  [ -d "$2" ] || fail "nothing installed in $2"
  diff -r -x '.*' "$files/$1" "$2" >/dev/null || fail "$2 differs from the payload: $(diff -rq -x '.*' "$files/$1" "$2" | head -5)"
  [ ! -e "$2/.DS_Store" ] || fail ".DS_Store was installed"
}

printf '%s\r\n' "$product" >"$files/product.txt"
case $case in
  installs)
    payload "App Files"
    mkdir -p "$work/Target"
    run -- /S "/D=$(winpath "$work/Target")"
    expect_status 0
    expect_installed "App Files" "$work/Target/$product"
    ;;
  spaces)
    payload "App Files"
    mkdir -p "$work/Some Folder"
    run -- "/S /LOG=\"$wlog\" /D=$(winpath "$work/Some Folder")"
    expect_status 0
    expect_installed "App Files" "$work/Some Folder/$product"
    expect_log "mode: unattended"
    expect_log "product: $product"
    expect_log "target: Program Files application (App Files)"
    expect_log "destination: $(winpath "$work/Some Folder")\\$product"
    expect_log "payload: 604 files, 102,411 bytes"
    expect_log "result: installed, 604 files, 102,411 bytes"
    expect_log "exit status: 0"
    copied=$(grep -c '^copied: ' "$log")
    [ "$copied" -eq 604 ] || fail "$copied copied lines for 604 files"
    [ "$(grep -c $'\r$' "$log")" -eq "$(wc -l <"$log")" ] || fail "a log line does not end in CR LF"
    ;;
  quoted)
    payload "App Files"
    mkdir -p "$work/Some Folder"
    run -- "/S \"/LOG=$wlog\" \"/D=$(winpath "$work/Some Folder")\""
    expect_status 0
    expect_installed "App Files" "$work/Some Folder/$product"
    expect_log "exit status: 0"
    ;;
  case)
    payload "App Files"
    mkdir -p "$work/Target"
    run -- "/s /log=$wlog /d=$(winpath "$work/Target")"
    expect_status 0
    expect_installed "App Files" "$work/Target/$product"
    expect_log "exit status: 0"
    ;;
  default)
    # Without /D= an application goes to C:\Program Files\<product>.
    product="Quorvin Test $$"
    printf '%s\r\n' "$product" >"$files/product.txt"
    payload "App Files"
    target=$WINEPREFIX/drive_c/"Program Files"/$product
    rm -rf "$target"
    run -- "/S /LOG=$wlog"
    expect_status 0
    expect_installed "App Files" "$target"
    expect_log "destination: C:\\Program Files\\$product"
    rm -rf "$target"
    ;;
  fxplug)
    payload "FX Files"
    mkdir -p "$work/FxPlugs"
    run -- "/S /D=$(winpath "$work/FxPlugs")"
    expect_status 0
    expect_installed "FX Files" "$work/FxPlugs"
    ;;
  no-location)
    # A plug-in payload without its host's registry key has no default.
    payload "AE Files"
    run -- "/S /LOG=$wlog"
    expect_status 2
    expect_log "no install location"
    expect_log "exit status: 2"
    ;;
  no-product)
    payload "App Files"
    rm "$files/product.txt"
    mkdir -p "$work/Target"
    run -- "/S /LOG=$wlog /D=$(winpath "$work/Target")"
    expect_status 3
    expect_log "$(winpath "$files/product.txt"): "
    expect_log "unknown product"
    expect_log "exit status: 3"
    [ -z "$(ls -A "$work/Target")" ] || fail "something was installed"
    ;;
  locked)
    # A file of an earlier install is in use: that file fails the install.
    payload "App Files"
    mkdir -p "$work/Target/$product/Sub"
    echo "in use" >"$work/Target/$product/Sub/b.txt"
    held=$(winpath "$work/Target/$product/Sub/b.txt")
    run --hold "$held" -- "/S /LOG=$wlog /D=$(winpath "$work/Target")"
    expect_status 1
    grep -q "^error: $(sed 's/[\\.]/\\&/g' <<<"$held"): .* (error 32)"$'\r$' "$log" \
      || fail "no error line naming $held with error 32"
    expect_log "result: failed, "
    expect_log "exit status: 1"
    [ "$(cat "$work/Target/$product/Sub/b.txt")" = "in use" ] || fail "the file in use was changed"
    cmp -s "$files/App Files/a.txt" "$work/Target/$product/a.txt" || fail "files before the failure are not there"
    ;;
  unknown-option)
    payload "App Files"
    run -- "/S /LOG=$wlog /X"
    expect_status 2
    expect_log "unknown option: /X"
    expect_log "exit status: 2"
    ;;
  usage-without-s)
    # A usage error ends the program without a window, with or without /S.
    payload "App Files"
    run -- "/LOG=$wlog /Quiet"
    expect_status 2
    expect_log "unknown option: /Quiet"
    ;;
  japanese)
    # A name outside the ANSI code page cannot be carried: the install
    # fails and says which file, instead of skipping it.
    payload "App Files"
    echo "nihongo" >"$files/App Files/Sub/日本語.txt"
    mkdir -p "$work/Target"
    run -- "/S /LOG=$wlog /D=$(winpath "$work/Target")"
    expect_status 1
    grep -q '^error: .*\\Sub\\' "$log" || fail "no error line in Sub"
    expect_log "exit status: 1"
    ;;
  *) fail "unknown case" ;;
esac
echo "unattended $case: ok"
