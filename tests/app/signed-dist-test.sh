#!/usr/bin/env bash
# A signed distribution end to end under Wine: scripts/make-dist's sample,
# given a product name of the case's own and signed by scripts/sign-dist
# with the tests' throwaway certificate, then changed as an attacker or an
# unlucky download would change it. setup.exe installs what was signed,
# refuses whatever differs from the list its signature covers (status 7,
# nothing written, the file named in the log and the message) before any
# of it is shown, decoded or installed; distcheck tells the same.
#
#   signed-dist-test.sh RIG RIG_HOME RUN_WATCHED SETUP DISTCHECK CASE
set -uo pipefail
rig=$1 home=$2 watcher=$3 setup=$4 distcheck=$5 case=$6
top=$(cd "$(dirname "$0")/../.." && pwd)
export LC_ALL=C.UTF-8
fail() { echo "FAIL ($case): $*"; echo "$out" | sed 's/^/  out| /'; [ -f "$log" ] && sed 's/^/  log| /' "$log"; exit 1; }
out=""

eval "$("$rig" --home "$home" --env)" || fail "no rig"
winpath() { winepath -w "$1" 2>/dev/null; }
work=$(dirname "$home")/signed-dist-tests/$(basename "$home")/$case
rm -rf "$work" && mkdir -p "$work/place"
pki=$(dirname "$home")/signing-tests/pki
bash "$top/tests/tools/throwaway-pki.sh" "$pki" || fail "no throwaway certificates"
dist=$work/dist files="$work/dist/install files" place=$work/place log=$work/setup.log
payload=$files/AE\ Files
# Cases run side by side in one prefix: each installs a product of its own.
product="Kestrova Signed $case"

# The sample with the case's product, signed (or not, with "unsigned").
QV_SETUP_EXE=$setup "$top/scripts/make-dist" "$dist" >/dev/null 2>&1 || fail "make-dist failed"
printf '%s\r\nVersion: 1.0.0\r\n' "$product" >"$files/product.txt"
covered="10 files and 3 folders"
if [ "$case" = during ]; then
  # A large first file, copied for long enough to change a later one.
  head -c $((256 << 20)) /dev/zero >"$files/AE Files/Big.bin"
  covered="11 files and 3 folders"
fi
if [ "$case" = translations ]; then
  printf 'Hinweise.\r\n' >"$files/readme.de.txt"; printf 'Bedingungen.\r\n' >"$files/eula.de.txt"
  covered="12 files and 3 folders"
fi
if [ "$case" != unsigned ]; then
  out=$("$top/scripts/sign-dist" "$dist" --pkcs12 "$pki/signer.p12" --pass-file "$pki/password" \
        --ca "$pki/root.pem" 2>&1) || fail "sign-dist failed"
  grep -qF "its signature covers $covered of \"install files\"" <<<"$out" || fail "sign-dist's count"
fi
before=$(cd "$place" && find . | sort)

# setup.exe with OPTIONS; --window runs it without /S, answering the
# message box it shows.
run() {
  local answer=()
  [ "$1" = --window ] && { answer=(--answer); shift; }
  out=$(QV_CHILD_COMMAND_LINE="\"$(winpath "$dist/setup.exe")\" /LOG=\"$(winpath "$log")\" $*" \
        "$rig" --home "$home" "$watcher" "${answer[@]}" --timeout 60 2>&1 | tr -d '\r')
  status=${PIPESTATUS[0]}
}
silent() { run /S "/D=$(winpath "$place")"; grep -q '^windows: 0' <<<"$out" || fail "a window appeared"; }
check() {
  out=$("$rig" --home "$home" "$distcheck" "$(winpath "$dist")" 2>&1 | tr -d '\r')
  dstatus=${PIPESTATUS[0]}
}
expect_status() { [ "$status" -eq "$1" ] || fail "exit status $status, expected $1"; }
expect_log() { grep -qF -- "$1" "$log" || fail "the log lacks: $1"; }
expect_out() { grep -qF -- "$1" <<<"$out" || fail "no line: $1"; }
expect_nothing_written() {
  [ "$(cd "$place" && find . | sort)" = "$before" ] || fail "something was written: $(cd "$place" && find . | head)"
}
# A changed distribution: /S refuses it with 7 and writes nothing; the log
# names the file; distcheck has it as a problem.
expect_refused() {  # log-text distcheck-problem
  silent
  expect_status 7
  expect_nothing_written
  expect_log "signature: the distribution was changed after it was signed: download it again"
  expect_log "$1"
  expect_log "exit status: 7"
  check
  [ "$dstatus" -eq 1 ] || fail "distcheck status $dstatus"
  expect_out "problem: $2"
}

case $case in
  installs)
    silent
    expect_status 0
    diff -r "$payload" "$place/$product" >/dev/null || fail "the installed files differ from the payload"
    expect_log 'signature: covers 10 files and 3 folders of "install files", each checked before it is used'
    # Its record keeps each file's SHA-256, the one the list signed.
    . "$(dirname "$0")/common-files.sh"
    record="$records/$product/install record"
    head -n 1 "$record" | grep -q '^qvsetup-record 3' || fail "the record is not of the third form"
    grep -qF "file 196608 $(sha256sum "$payload/Lumen.aex" | cut -c1-64) 9:Lumen.aex" "$record" ||
      fail "the record lacks Lumen.aex's SHA-256"
    check
    [ "$dstatus" -eq 0 ] || fail "distcheck status $dstatus"
    expect_out 'ok: the signature covers 10 files and 3 folders of "install files" ("manifest.txt")'
    # The uninstaller, a byte copy of the signed setup.exe, reads no list.
    out=$(QV_CHILD_COMMAND_LINE="\"$wrecords\\$product\\uninstall.exe\" /UNINSTALL /S" \
          "$rig" --home "$home" "$watcher" 2>&1 | tr -d '\r')
    status=${PIPESTATUS[0]}
    expect_status 0
    [ ! -e "$place/$product" ] || fail "the uninstaller left the product's folder"
    ;;
  translations)
    # The texts per language are signed too: a German user reads the
    # German ones; a French licence added after signing is refused to the
    # French user it would be shown to, and passes the German one by.
    silent
    expect_status 0
    expect_log 'signature: covers 12 files and 3 folders of "install files"'
    printf 'Conditions.\r\n' >"$files/eula.fr.txt"
    : >"$log"; run /S /LANG=de "/D=$(winpath "$place")"
    expect_status 0
    expect_log "texts: readme.de.txt, eula.de.txt"
    : >"$log"; run /S /LANG=fr "/D=$(winpath "$place")"
    expect_status 7
    expect_log 'changed: "eula.fr.txt" was added after the distribution was signed'
    ;;
  payload-byte)
    # One byte of the plug-in, its size kept: found as it is copied.
    printf 'Z' | dd of="$payload/Lumen.aex" bs=1 seek=1000 conv=notrunc 2>/dev/null
    expect_refused "$(winpath "$payload")\\Lumen.aex: \"AE Files\\Lumen.aex\" was changed after the distribution was signed (its bytes" \
      '"AE Files\Lumen.aex" was changed after the distribution was signed (its bytes are not the ones signed)'
    ;;
  payload-removed)
    rm "$payload/Presets/Neon Rain.ffx"
    expect_refused 'changed: "AE Files\Presets\Neon Rain.ffx" is missing: it was removed after the distribution was signed' \
      '"AE Files\Presets\Neon Rain.ffx" is missing'
    ;;
  payload-added)
    # A DLL planted where the host would load it.
    printf 'MZ planted' >"$payload/version.dll"
    expect_refused 'changed: "AE Files\version.dll" was added after the distribution was signed (10 bytes)' \
      '"AE Files\version.dll" was added after the distribution was signed'
    ;;
  desktop-ini)
    # What the system leaves beside the files is ignored, and logged.
    printf '[.ShellClassInfo]\r\n' >"$files/desktop.ini"
    silent
    expect_status 0
    expect_log 'ignored: "desktop.ini" (the installer does not read it)'
    check
    [ "$dstatus" -eq 0 ] || fail "distcheck status $dstatus"
    expect_out 'note: "desktop.ini" lies in "install files" and is ignored: the installer does not read it'
    ;;
  licence | picture)
    # Refused before the window shows it or decodes it: the one window is
    # the message box, and the process ends with 7.
    if [ "$case" = licence ]; then
      name=eula.txt
      printf 'You owe us everything.\r\n' >>"$files/eula.txt"
    else
      name=bkgd.jpg
      printf '\x00' | dd of="$files/bkgd.jpg" bs=1 seek=3000 conv=notrunc 2>/dev/null
    fi
    run --window
    expect_status 7
    [ "$(grep -c '^window: ' <<<"$out")" -eq 1 ] && expect_out "window: Attention !"
    grep -q '^window: Install ' <<<"$out" && fail "the installer's window appeared"
    expect_out "message: \"$name\" was changed after the distribution was signed"
    expect_out ".||This copy of the installer cannot be trusted: download it again from its publisher.||Nothing was installed."
    expect_log "mode: window"
    expect_log "changed: \"$name\" was changed after the distribution was signed"
    expect_log "exit status: 7"
    grep -q "product: " "$log" && fail "the product of a changed distribution was read"
    expect_refused "changed: \"$name\" was changed" "\"$name\" was changed after the distribution was signed"
    ;;
  during)
    # A preset changed while the install copies the large file before it
    # (files of a folder go before its sub-folders): it was checked by
    # nothing yet, and is found as it is copied; the whole install is
    # undone. A run that ends before the change is made is tried again.
    cp "$payload/Presets/Neon Rain.ffx" "$work/keep.ffx"
    for attempt in 1 2 3; do
      rm -f "$log"
      cp "$work/keep.ffx" "$payload/Presets/Neon Rain.ffx"
      (QV_CHILD_COMMAND_LINE="\"$(winpath "$dist/setup.exe")\" /S /LOG=\"$(winpath "$log")\" /D=$(winpath "$place")" \
        "$rig" --home "$home" "$watcher" >"$work/run.out" 2>&1; echo $? >"$work/run.status") &
      for _ in $(seq 2000); do
        compgen -G "$place/$product/.qvsetup-*/t*" >/dev/null && break
        sleep 0.005
      done
      printf 'X' | dd of="$payload/Presets/Neon Rain.ffx" bs=1 seek=3 conv=notrunc 2>/dev/null
      wait
      status=$(cat "$work/run.status")
      out=$(cat "$work/run.out")
      [ "$status" -eq 0 ] && { rm -rf "$place/$product"; continue; }
      break
    done
    expect_status 7
    expect_nothing_written
    expect_log 'Neon Rain.ffx: "AE Files\Presets\Neon Rain.ffx" was changed after the distribution was signed'
    expect_log "undone: "
    ;;
  list-changed)
    # The list itself, another file's digest written into it.
    sed -i "s/^file 196608 [0-9a-f]*/file 196608 $(printf '0%.0s' {1..64})/" "$files/manifest.txt"
    expect_refused 'changed: "manifest.txt", the list of the files signed, was changed after the distribution was signed' \
      '"manifest.txt", the list of the files signed, was changed after the distribution was signed'
    ;;
  unsigned)
    # No signature, an empty slot: installed as before, and the log says
    # nothing covers the files.
    silent
    expect_status 0
    expect_log 'signature: does not cover the files of "install files": setup.exe carries no list of them'
    check
    [ "$dstatus" -eq 0 ] || fail "distcheck status $dstatus"
    expect_out 'note: the files of "install files" are not covered by a signature: setup.exe carries no list of them'
    expect_out "summary: 0 problems, 1 warning"
    ;;
  slot-unsigned)
    # The slot filled, the signature taken off: nothing vouches for the
    # list, which distcheck tells.
    osslsigncode remove-signature -in "$dist/setup.exe" -out "$work/bare.exe" >/dev/null 2>&1 || fail "remove-signature"
    mv "$work/bare.exe" "$dist/setup.exe"
    check
    [ "$dstatus" -eq 1 ] || fail "distcheck status $dstatus"
    expect_out 'problem: setup.exe carries a list of signed files but is not signed'
    ;;
  *) fail "unknown case" ;;
esac
echo "signed distribution $case: ok"
