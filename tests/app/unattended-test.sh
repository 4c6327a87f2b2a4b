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
# CASE: one of the names in the case list at the end.
set -uo pipefail
rig=$1 home=$2 watcher=$3 program=$4 case=$5
# Some cases name folders and options with characters outside ASCII ("ｄist",
# "．．"), written here in UTF-8. Wine reads the environment, and so the
# command line run_watched passes on, and Unix file names in the locale's
# character set: in the C locale each byte would become a character of its
# own.
export LC_ALL=C.UTF-8
fail() { echo "FAIL ($case): $*"; [ -f "${log:-}" ] && sed 's/^/  log| /' "$log" | head -40; exit 1; }

eval "$("$rig" --home "$home" --env)" || fail "no rig"
winpath() { winepath -w "$1" 2>/dev/null; }
# The prefix's own reg.exe: 64-bit in a 64-bit prefix, where /reg:32 and
# /reg:64 name the registry's two views.
reg="${WINELOADER:-wine} reg"

work=$(dirname "$home")/unattended-tests/$(basename "$home")/$case
rm -rf "$work"
dist=$work/dist
files=$dist/"install files"
mkdir -p "$files"
cp "$program" "$dist/setup.exe"
# A product of the case's own: an install registers its product, and
# cases run side by side in one prefix.
product="Quorvin Test $case"
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
run() {  # [--hold FILE | --read FILE] -- OPTIONS
  local hold=()
  if [ "$1" = --hold ] || [ "$1" = --read ]; then hold=("$1" "$2"); shift 2; fi
  [ "$1" = -- ] && shift
  out=$(QV_CHILD_COMMAND_LINE="\"$(winpath "$dist/setup.exe")\" $*" \
        "$rig" --home "$home" "$watcher" "${hold[@]}" 2>&1)
  status=$?
  grep -q '^windows: 0' <<<"$out" || fail "a window appeared: $out"
}

expect_status() { [ "$status" -eq "$1" ] || fail "exit status $status, expected $1; output: $out"; }
expect_log() { grep -qF -- "$1" "$log" || fail "the log lacks: $1"; }

# What an install must leave as it was: every folder below a folder, and
# every file with its size, last-write time and bytes. (A folder's own time
# changes with what is made in it and removed again.)
snapshot() {  # folder
  (cd "$1" && find . -type d | sort && find . -type f -printf '%p %s %T@\n' | sort &&
   find . -type f -exec md5sum {} + | sort)
}
# Nothing was written anywhere in the case's folder but the log.
expect_untouched() {  # snapshot-before
  [ "$(snapshot "$work/place")" = "$1" ] || fail "the destination changed: $(diff <(echo "$1") <(snapshot "$work/place") | head -8)"
  ! find "$work" -name '.qvsetup-*' | grep -q . || fail "a staging folder was left"
}

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
    # On 64-bit Windows too: the 32-bit installer's files land in the
    # Program Files the user was told, not the 32-bit one.
    [ ! -e "$WINEPREFIX/drive_c/Program Files (x86)/$product" ] || fail "installed into Program Files (x86)"
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
    # A file of an earlier install is in use: that file fails the install,
    # which is undone; the earlier install is whole, nothing new stays.
    payload "App Files"
    mkdir -p "$work/place/$product/Sub"
    echo "in use" >"$work/place/$product/Sub/b.txt"
    echo "earlier" >"$work/place/$product/a.txt"
    before=$(snapshot "$work/place")
    held=$(winpath "$work/place/$product/Sub/b.txt")
    run --hold "$held" -- "/S /LOG=$wlog /D=$(winpath "$work/place")"
    expect_status 1
    grep -q "^error: $(sed 's/[\\.]/\\&/g' <<<"$held"): .* (error 32)"$'\r$' "$log" \
      || fail "no error line naming $held with error 32"
    expect_log "undone: "
    expect_log "result: failed, "
    expect_log "exit status: 1"
    expect_untouched "$before"
    ;;
  fault-first|fault-middle|fault-last)
    # One file in each folder, so the copy's order is known: 1.bin, then
    # Sub\2.bin, then Sub\Deep\3.bin. An earlier install holds all three;
    # the one the case names is in use.
    p=$files/"App Files"
    mkdir -p "$p/Sub/Deep" "$work/place/$product/Sub/Deep"
    for f in 1.bin Sub/2.bin Sub/Deep/3.bin; do
      head -c 70000 /dev/urandom >"$p/$f"
      echo "earlier $f" >"$work/place/$product/$f"
      touch -d '2001-02-03 04:05:06' "$work/place/$product/$f"
    done
    echo "the user's own" >"$work/place/$product/Sub/notes.txt"
    case $case in fault-first) f=1.bin ;; fault-middle) f=Sub/2.bin ;; fault-last) f=Sub/Deep/3.bin ;; esac
    before=$(snapshot "$work/place")
    run --hold "$(winpath "$work/place/$product/$f")" -- "/S /LOG=$wlog /D=$(winpath "$work/place")"
    expect_status 1
    expect_log "(error 32)"
    expect_untouched "$before"
    ;;
  source-held)
    # A payload file another program holds without sharing cannot be read.
    payload "App Files"
    mkdir -p "$work/place"
    before=$(snapshot "$work/place")
    run --hold "$(winpath "$files/App Files/Sub/Deep/c.bin")" -- "/S /LOG=$wlog /D=$(winpath "$work/place")"
    expect_status 1
    expect_log "c.bin: "
    expect_untouched "$before"
    ;;
  shared-source)
    # Another reader of the distribution (a second install) does not stop
    # this one: sources are opened shared for reading.
    payload "App Files"
    mkdir -p "$work/Target"
    run --read "$(winpath "$files/App Files/Sub/Deep/c.bin")" -- "/S /D=$(winpath "$work/Target")"
    expect_status 0
    expect_installed "App Files" "$work/Target/$product"
    ;;
  two-at-once)
    # Two installs of one product into two folders at the same moment,
    # logging to one file: one installs, the other is refused at once and
    # writes nothing (one product, one record), and each line of the log
    # stays whole. Runs that did not meet are tried again.
    payload "App Files"
    head -c $((40 << 20)) /dev/zero >"$files/App Files/big.bin"
    for attempt in 1 2 3; do
      rm -rf "$work/One" "$work/Two" "$log"
      mkdir -p "$work/One" "$work/Two"
      QV_CHILD_COMMAND_LINE="\"$(winpath "$dist/setup.exe")\" /S /LOG=$wlog /D=$(winpath "$work/One")" \
        "$rig" --home "$home" "$watcher" >"$work/one.out" 2>&1 &
      first=$!
      QV_CHILD_COMMAND_LINE="\"$(winpath "$dist/setup.exe")\" /S /LOG=$wlog /D=$(winpath "$work/Two")" \
        "$rig" --home "$home" "$watcher" >"$work/two.out" 2>&1
      second=$?
      wait $first
      firstStatus=$?
      [ $firstStatus -eq 0 ] && [ $second -eq 0 ] && continue
      break
    done
    [ "$((firstStatus + second))" -eq 1 ] || fail "statuses $firstStatus and $second: $(cat "$work/one.out" "$work/two.out")"
    if [ $firstStatus -eq 0 ]; then installed=One refused=Two; else installed=Two refused=One; fi
    expect_installed "App Files" "$work/$installed/$product"
    [ -z "$(ls -A "$work/$refused")" ] || fail "the refused install wrote: $(ls -A "$work/$refused")"
    expect_log "another install or removal of this product is running"
    [ "$(grep -c '^---- .* process [0-9]*'$'\r$' "$log")" -eq 2 ] || fail "not two blocks, each naming its process"
    [ "$(grep -c '^copied: .* bytes)'$'\r$' "$log")" -eq 605 ] || fail "not 605 whole copied lines"
    bad=$(grep -v -E '^(---- |mode|product|language|target|source|signature|destination|payload|space|copied|timing|registered|earlier install|result|error|exit status): ?' "$log" \
          | grep -v '^---- ' | head -3)
    [ -z "$bad" ] || fail "a line that is not whole: $bad"
    ;;
  full-volume)
    # A volume without room for the payload: refused before anything is
    # written, with the space needed and free.
    payload "App Files"
    head -c $((3 << 20)) /dev/urandom >"$files/App Files/big.bin"
    volume=$work-volume
    letter=$WINEPREFIX/dosdevices/s:
    mkdir -p "$volume" && mount -t tmpfs -o size=2m tmpfs "$volume" || fail "cannot mount a small volume (needs root)"
    trap 'rm -f "$letter"; umount "$volume"' EXIT
    ln -sfn "$volume" "$letter"
    echo "earlier" >"$volume/kept.txt"
    run -- "/S /LOG=$wlog /D=S:\\"
    expect_status 1
    grep -q "^error: S:\\\\$product: the install needs [0-9,]* bytes and S:\\\\ has [0-9,]* bytes free (error 112)"$'\r$' "$log" \
      || fail "no error line with the space needed"
    [ "$(ls -A "$volume")" = "kept.txt" ] || fail "something was written: $(ls -A "$volume")"
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
    # Names of any script install as they are, on any code page (1252 here):
    # Japanese, an emoji (two UTF-16 units), full-width letters.
    payload "App Files"
    echo "nihongo" >"$files/App Files/Sub/日本語.txt"
    mkdir -p "$files/App Files/絵文字 🎨"
    echo "art" >"$files/App Files/絵文字 🎨/🎨.png"
    echo "wide" >"$files/App Files/ｄist.txt"
    mkdir -p "$work/place"
    run -- "/S /LOG=$wlog /D=$(winpath "$work/place")"
    expect_status 0
    expect_installed "App Files" "$work/place/$product"
    [ ! -e "$work/place/$product/dist.txt" ] || fail "a look-alike was made"
    expect_log "exit status: 0"
    ;;
  device-names)
    # Payload files that Windows takes for devices or renames would be
    # "copied" into nothing; they fail the install before it writes.
    for name in nul.txt AUX 'trailing.' 'a.'; do
      rm -rf "$files/App Files"; payload "App Files"; echo x >"$files/App Files/Sub/$name"
      [ "$name" = a. ] && echo y >"$files/App Files/Sub/a"
      rm -rf "$work/place"; mkdir -p "$work/place"; rm -f "$log"
      run -- "/S /LOG=$wlog /D=$(winpath "$work/place")"
      expect_status 1
      grep -q "^error: .*\\\\Sub\\\\.* (error 123)"$'\r$' "$log" || fail "no error line for $name"
      [ -z "$(ls -A "$work/place")" ] || fail "$name: something was installed"
    done
    ;;
  escaping-product)
    # A product name is one folder name: never a path out of the chosen
    # folder, nor blank, nor a device. Each is an unknown product.
    payload "App Files"
    mkdir -p "$work/place/deep/er"
    for name in '..\..\escaped' '..' '' '   ' 'C:\Windows' 'AUX' 'Tools.' 'a/b'; do
      printf '%s\r\n' "$name" >"$files/product.txt"; rm -f "$log"
      run -- "/S /LOG=$wlog /D=$(winpath "$work/place/deep/er")"
      expect_status 3
      expect_log "unknown product: "
      [ -z "$(find "$work/place" -mindepth 1 -not -path "$work/place/deep" -not -path "$work/place/deep/er")" ] \
        || fail "\"$name\" wrote something: $(find "$work/place")"
    done
    [ ! -e "$work/escaped" ] || fail "escaped"
    # Without /D=, "..\Windows" would have gone over C:\Windows.
    printf '..\\Windows\r\n' >"$files/product.txt"
    run -- "/S /LOG=$wlog"
    expect_status 3
    ;;
  encoded-product)
    # A byte-order mark is no part of the name; UTF-16 is read as such.
    product="Quorvin Test"
    payload "App Files"
    mkdir -p "$work/place"
    printf '\xef\xbb\xbf%s\r\n' "$product" >"$files/product.txt"
    run -- "/S /D=$(winpath "$work/place")"
    expect_status 0
    expect_installed "App Files" "$work/place/$product"
    rm -rf "$work/place"; mkdir -p "$work/place"
    printf '\xff\xfeQ\0u\0o\0r\0v\0i\0n\0 \0T\0e\0s\0t\0\r\0\n\0' >"$files/product.txt"
    run -- "/S /D=$(winpath "$work/place")"
    expect_status 0
    expect_installed "App Files" "$work/place/$product"
    # Any script: a UTF-16 name in Japanese is the folder's name.
    rm -rf "$work/place"; mkdir -p "$work/place"
    printf '\xff\xfe\xe5\x65\x2c\x67\r\0\n\0' >"$files/product.txt"
    run -- "/S /D=$(winpath "$work/place")"
    expect_status 0
    expect_installed "App Files" "$work/place/日本"
    # Half a surrogate pair is no character: refused.
    printf '\xff\xfe\x3c\xd8\r\0\n\0' >"$files/product.txt"
    run -- "/S /LOG=$wlog /D=$(winpath "$work/place")"
    expect_status 3
    expect_log "is not valid UTF-16"
    ;;
  no-payload)
    # No payload folder: nothing to install is a failure, with or without /D=.
    mkdir -p "$work/place"
    run -- "/S /LOG=$wlog /D=$(winpath "$work/place")"
    expect_status 1
    expect_log "there is no payload folder"
    [ -z "$(ls -A "$work/place")" ] || fail "something was made"
    run -- "/S /LOG=$wlog"
    expect_status 1
    ;;
  relative-location)
    payload "App Files"
    run -- "/S /LOG=$wlog /D=rel"
    expect_status 2
    expect_log "/D=rel: not a full path"
    ;;
  help)
    # /? under /S shows nothing and ends with the usage status.
    run -- "/S /? /LOG=$wlog"
    expect_status 2
    expect_log "usage asked for: usage: setup.exe"
    ;;
  registry-hosts)
    # After Effects as users have it: 24.0 in the 64-bit view of the
    # registry, an old 9.0 in the 32-bit view. The newest is taken, and the
    # log says which, and what it saw. (A 32-bit prefix has one view.)
    payload "AE Files"
    key='HKLM\Software\Adobe\After Effects'
    mkdir -p "$work/AE 2024" "$work/AE9"
    $reg add "$key\24.0" /v PluginInstallPath /d "$(winpath "$work/AE 2024")" /f /reg:64 >/dev/null 2>&1 || fail "reg add"
    $reg add "$key\9.0" /v PluginInstallPath /d "$(winpath "$work/AE9")" /f /reg:32 >/dev/null 2>&1 || fail "reg add"
    run -- "/S /LOG=$wlog"
    $reg delete "$key\24.0" /f /reg:64 >/dev/null 2>&1
    $reg delete "$key\9.0" /f /reg:32 >/dev/null 2>&1
    expect_status 0
    expect_installed "AE Files" "$work/AE 2024/$product"
    if [ "$WINEARCH" = win64 ]; then
      expect_log "host: After Effects 24.0 (64-bit)"
      expect_log "hosts seen: After Effects: 24.0 (64-bit), 9.0 (32-bit)"
    else
      expect_log "host: After Effects 24.0 (32-bit)"
    fi
    ;;
  mediacore)
    # The MediaCore folder of the newest After Effects or Premiere Pro,
    # whichever view holds it; a newer key without the value gives none.
    payload "MediaCore Files"
    ae='HKLM\Software\Adobe\After Effects' pr='HKLM\Software\Adobe\Premiere Pro'
    clean_keys() { for key in "$ae" "$pr"; do for view in 32 64; do $reg delete "$key" /f /reg:$view >/dev/null 2>&1; done; done; }
    clean_keys
    run -- "/S /LOG=$wlog"
    expect_status 2
    expect_log "no version key under HKEY_LOCAL_MACHINE\SOFTWARE\Adobe\After Effects or HKEY_LOCAL_MACHINE\SOFTWARE\Adobe\Premiere Pro in either view"
    mkdir -p "$work/MC AE" "$work/MC PR"
    $reg add "$ae\23.0" /v CommonPluginInstallPath /d "$(winpath "$work/MC AE")" /f /reg:64 >/dev/null 2>&1 || fail "reg add"
    $reg add "$pr\24.0" /v CommonPluginInstallPath /d "$(winpath "$work/MC PR")\\" /f /reg:32 >/dev/null 2>&1 || fail "reg add"
    $reg add "$ae\\25.0" /f /reg:64 >/dev/null 2>&1 || fail "reg add"
    rm -f "$log"; run -- "/S /LOG=$wlog"
    expect_status 2
    expect_log "CommonPluginInstallPath under HKEY_LOCAL_MACHINE\\SOFTWARE\\Adobe\\After Effects\\25.0"
    $reg delete "$ae\\25.0" /f /reg:64 >/dev/null 2>&1
    rm -f "$log"; run -- "/S /LOG=$wlog"
    clean_keys
    expect_status 0
    expect_installed "MediaCore Files" "$work/MC PR/$product"
    [ ! -e "$work/MC AE/$product" ] || fail "installed into the older host's folder too"
    expect_log "target: MediaCore plug-in (After Effects and Premiere Pro) (MediaCore Files)"
    expect_log "host: Premiere Pro 24.0 (32-bit)"
    expect_log "host key: HKEY_LOCAL_MACHINE\\SOFTWARE\\Adobe\\Premiere Pro\\24.0 (32-bit view)"
    ;;
  languages)
    # The user's UI language, from the process's locale as Wine takes it,
    # chooses the vendor's texts: exact, primary, plain; /LANG= overrides
    # it; a language the installer does not speak is a usage error.
    payload "App Files"
    printf 'Notes.\r\n' >"$files/readme.txt"; printf 'Terms.\r\n' >"$files/eula.txt"
    printf 'Hinweise.\r\n' >"$files/readme.de.txt"; printf 'Bedingungen.\r\n' >"$files/eula.de.txt"
    printf 'Termos.\r\n' >"$files/eula.pt.txt"
    mkdir -p "$work/place"
    while IFS='|' read -r locale options expected; do
      rm -f "$log"
      LC_ALL=$locale run -- "/S /LOG=$wlog $options /D=$(winpath "$work/place")"
      expect_status 0
      expect_log "language: $expected"
    done <<'CASES'
de_DE.UTF-8||German (de), the user's UI language 0x0407; texts: readme.de.txt, eula.de.txt
de_AT.UTF-8||German (de), the user's UI language 0x0C07; texts: readme.de.txt, eula.de.txt
pt_PT.UTF-8||Portuguese (Brazil) (pt-BR), the user's UI language 0x0816; texts: readme.txt, eula.pt.txt
tr_TR.UTF-8||English (en), the user's UI language 0x041F; texts: readme.txt, eula.txt
de_DE.UTF-8|/LANG=ja|Japanese (ja), as /LANG= asks; texts: readme.txt, eula.txt
C.UTF-8|/lang=DE-ch|German (de), as /LANG= asks; texts: readme.de.txt, eula.de.txt
CASES
    rm -f "$log"; run -- "/S /LOG=$wlog /LANG=xx /D=$(winpath "$work/place")"
    expect_status 2
    expect_log "/LANG= takes one of en, de, fr, es, it, pt-BR, pl, ru, ja, zh-CN, zh-TW, ko, ar, he, not \"xx\""
    ;;
  window-language)
    # The window's title in the language of the user, whatever the code
    # page: German on a German system, Polish on a Polish one (1250),
    # Japanese on a Japanese one (932), German there when /LANG= asks. The
    # window is left to the watcher's timeout.
    payload "App Files"
    while IFS='|' read -r locale options title; do
      out=$(LC_ALL=$locale QV_CHILD_COMMAND_LINE="\"$(winpath "$dist/setup.exe")\" $options" \
            "$rig" --home "$home" "$watcher" --timeout 3 2>&1)
      grep -qxF "window: $title" <<<"$(tr -d '\r' <<<"$out")" || fail "no window \"$title\" ($locale $options): $out"
    done <<CASES
de_DE.UTF-8||$product installieren
pl_PL.UTF-8||Instalacja $product
ja_JP.UTF-8|/LANG=de|$product installieren
ja_JP.UTF-8||$product のインストール
ru_RU.UTF-8||Установка $product
zh_TW.UTF-8||安裝 $product
C.UTF-8|/LANG=ko|$product 설치
CASES
    ;;
  registry-number)
    # A number in the registry is no folder, even when its bytes read
    # "C:\": the location is absent and the log says why.
    payload "AE Files"
    key='HKLM\Software\Adobe\After Effects\9.0'
    $reg add "$key" /v PluginInstallPath /t REG_DWORD /d 0x005c3a43 /f >/dev/null 2>&1 || fail "reg add"
    run -- "/S /LOG=$wlog"
    $reg delete "$key" /f >/dev/null 2>&1
    expect_status 2
    expect_log "is REG_DWORD, not text: taken as absent"
    [ ! -e "$WINEPREFIX/drive_c/$product" ] || fail "installed into C:\\$product"
    ;;
  fullwidth-dots|fullwidth-backslash)
    # Read through the platform's look-alikes, "．．" would be ".." and "＼"
    # a backslash: the install would climb out of the folder named, into
    # C:\windows or C:\. Read as they are, they are characters of names:
    # folders of their own below the one named, or a ".." that climbs out
    # of a folder that is not there, which is refused. Nothing is written
    # above C:\fw\sub.
    product="Quorvin Test $$"
    printf '%s\r\n' "$product" >"$files/product.txt"
    payload "App Files"
    c=$WINEPREFIX/drive_c
    rm -rf "$c/fw"; mkdir -p "$c/fw/sub"
    if [ "$case" = fullwidth-dots ]; then
      run -- "/S /LOG=$wlog \"/D=C:\fw\sub\．．\．．\windows\""
      expect_status 0
      expect_installed "App Files" "$c/fw/sub/．．/．．/windows/$product"
    else
      run -- "/S /LOG=$wlog \"/D=C:\fw\sub＼..\..\""
      expect_status 2
      expect_log "exit status: 2"
      [ -z "$(ls -A "$c/fw/sub")" ] || fail "something was written in C:\\fw\\sub"
    fi
    [ ! -e "$c/windows/$product" ] && [ ! -e "$c/$product" ] && [ ! -e "$c/fw/$product" ] ||
      fail "installed outside the folder named"
    rm -rf "$c/fw"
    ;;
  lookalike-folder)
    # A distribution in "ｄist" beside another in "dist": read through the
    # look-alikes, its own path would lead to the other's install files.
    # Read as it is, it installs its own product and nothing of the other's.
    printf 'Quorvin Twin\r\n' >"$files/product.txt"
    payload "App Files"
    dist=$work/ｄist
    mkdir -p "$dist/install files/App Files"
    printf '%s\r\n' "$product" >"$dist/install files/product.txt"
    echo own >"$dist/install files/App Files/own.txt"
    cp "$program" "$dist/setup.exe"
    mkdir -p "$work/place"
    run -- "/S /LOG=$wlog /D=$(winpath "$work/place")"
    expect_status 0
    [ "$(cd "$work/place" && find . | sort | tr '\n' ' ')" = ". ./$product ./$product/own.txt " ] ||
      fail "not its own product alone: $(cd "$work/place" && find . | sort | tr '\n' ' ')"
    ;;
  aex-folder)
    # ".aex" in a folder's name is part of that name: the distribution under
    # "x.aex-kit" installs its own product, not the one two levels up.
    printf 'Quorvin Decoy\r\n' >"$files/product.txt"
    payload "App Files"
    mv "$files" "$work/install files"
    dist=$work/x.aex-kit/dist
    files=$dist/"install files"
    mkdir -p "$files"
    printf '%s\r\n' "$product" >"$files/product.txt"
    payload "App Files"
    cp "$program" "$dist/setup.exe"
    mkdir -p "$work/place"
    run -- "/S /LOG=$wlog /D=$(winpath "$work/place")"
    expect_status 0
    expect_installed "App Files" "$work/place/$product"
    [ "$(ls -A "$work/place")" = "$product" ] || fail "not only $product installed: $(ls -A "$work/place")"
    ;;
  device-location)
    # "nul" names a device in any folder: C:\af\nul\<product> would be
    # \\.\nul\<product>. A usage error before anything is read or written.
    payload "App Files"
    run -- "/S /LOG=$wlog /D=C:\\af\\nul"
    expect_status 2
    expect_log "error: /D=C:\\af\\nul: \"nul\" is a reserved device name (usage: "
    expect_log "exit status: 2"
    ;;
  log-after-error)
    # The log is written wherever /LOG= stands, after an error too.
    payload "App Files"
    run -- "/S /X /LOG=$wlog"
    expect_status 2
    expect_log "error: unknown option: /X"
    expect_log "exit status: 2"
    ;;
  *) fail "unknown case" ;;
esac
echo "unattended $case: ok"
