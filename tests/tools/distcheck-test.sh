#!/usr/bin/env bash
# Checks of distcheck.exe under Wine: a good sample distribution passes
# with exactly the expected lines, and each broken copy of it (one problem
# at a time) gives its line and exit status.
#
#   distcheck-test.sh RIG RIG_HOME RUN_WATCHED DISTCHECK CASE
set -uo pipefail
rig=$1 home=$2 watcher=$3 distcheck=$4 case=$5
fail() { echo "FAIL ($case): $*"; echo "$out" | sed 's/^/  out| /'; exit 1; }
out=""

eval "$("$rig" --home "$home" --env)" || fail "no rig"
winpath() { winepath -w "$1" 2>/dev/null; }

work=$(dirname "$home")/distcheck-tests/$case
rm -rf "$work"
dist=$work/dist
files=$dist/"install files"
payload=$files/"App Files"

picture() {  # width height output
  { printf 'P6\n%d %d\n255\n' "$1" "$2"; head -c $(($1 * $2 * 3)) /dev/zero | tr '\0' '\200'; } | cjpeg >"$3"
}

# The good sample: an application with sub-folders and an empty file, and
# a signed program as its setup.exe (a copy of run_watched.exe, which has
# no slot for a list of signed files, signed with the throwaway
# certificate of the signing tests): each broken copy below is one problem
# of the files, not of their signature (signed-dist-test.sh has those).
mkdir -p "$payload/Sub/Presets"
pki=$(dirname "$home")/signing-tests/pki
bash "$(dirname "$0")/throwaway-pki.sh" "$pki" || fail "no throwaway certificates"
osslsigncode sign -certs "$pki/signer-chain.pem" -key "$pki/signer.key" -h sha256 -TSA-certs "$pki/tsa-chain.pem" \
  -TSA-key "$pki/tsa.key" -in "$watcher" -out "$dist/setup.exe" >/dev/null 2>&1 || fail "cannot sign the sample"
printf 'Quorvin Test\r\nVersion: 1.2.3\r\n' >"$files/product.txt"
printf 'Release notes.\r\n' >"$files/readme.txt"
printf 'Licence terms.\r\n' >"$files/eula.txt"
picture 620 420 "$files/bkgd.jpg"
head -c 5000 /dev/urandom >"$payload/Quorvin Test.exe"
printf 'preset' >"$payload/Sub/Presets/a.preset"
: >"$payload/Sub/empty.bin"

check() {  # [--hold FILE] ARGS...: runs distcheck; out and status
  local hold=()
  if [ "${1:-}" = --hold ]; then hold=(--hold "$(winpath "$2")"); shift 2; fi
  local line="\"$(winpath "$distcheck")\""
  for a in "$@"; do line+=" \"$a\""; done
  out=$(QV_CHILD_COMMAND_LINE=$line "$rig" --home "$home" "$watcher" "${hold[@]}" 2>&1 | tr -d '\r' \
        | grep -v '^windows: \|^exit: ')
  status=${PIPESTATUS[0]}
}
check_dist() { check "$@" "$(winpath "$dist")"; }
expect_status() { [ "$status" -eq "$1" ] || fail "exit status $status, expected $1"; }
expect_line() { grep -qxF -- "$1" <<<"$out" || fail "no line: $1"; }
expect_start() { grep -q "^$(sed 's/[][\\.*^$"]/\\&/g' <<<"$1")" <<<"$out" || fail "no line starting: $1"; }
alone() {  # one problem and no warning, as each broken copy has
  expect_status 1
  expect_line "summary: 1 problem, 0 warnings"
}

case $case in
  good)
    check_dist
    expect_status 0
    expected='note: setup.exe has no slot for a list of signed files: it is older than this checker, and its signature covers only itself
ok: product "Quorvin Test"
note: Apps & features entry: "Quorvin Test", version "1.2.3", publisher "Kestrova"
note: payload "App Files" (Program Files application)
note: path lengths checked under "C:\Program Files\Quorvin Test" (the installer'"'"'s default)
ok: "App Files" holds 3 files, 5,006 bytes
ok: the longest installed path has 50 characters
ok: "bkgd.jpg" opens, 620 x 420
note: "bkgd.jpg" is smaller than 1240 x 840, the window at 200 %: on screens above 100 % it is enlarged and less sharp
ok: "readme.txt" present
ok: "eula.txt" present
summary: 0 problems, 0 warnings'
    # The signature's lines hold the time it was made.
    signature='^(ok: setup.exe is signed by |note: the chain ends in )'
    rest=$(grep -vE "$signature" <<<"$out")
    [ "$rest" = "$expected" ] || fail "the output differs: $(diff <(echo "$expected") <(echo "$rest"))"
    [ "$(grep -cE "$signature" <<<"$out")" -eq 2 ] || fail "no signature lines"
    ;;
  no-version)
    printf 'Quorvin Test\r\n' >"$files/product.txt"
    check_dist; expect_status 0
    expect_line 'warning: "product.txt" has no "Version: X.Y.Z" line after the name: Apps & features shows no version, IT tools cannot tell versions apart, and a lower version is not refused'
    expect_line 'note: Apps & features entry: "Quorvin Test", version (none), publisher "Kestrova"'
    expect_line 'summary: 0 problems, 1 warning' ;;
  bad-version)
    printf 'Quorvin Test\r\nVersion: 1.2.x\r\n' >"$files/product.txt"
    check_dist; alone
    expect_start 'problem: the version line of "product.txt" does not hold a version' ;;
  no-install-files) rm -rf "$files"; check_dist; alone; expect_line 'problem: no "install files" folder beside setup.exe' ;;
  no-product)
    rm "$files/product.txt"; check_dist; alone
    expect_line 'problem: "product.txt" is missing: the installer stops with "Unknown product. We cannot install."' ;;
  blank-product)
    printf '\r\n\r\n' >"$files/product.txt"; check_dist; alone
    expect_line 'problem: "product.txt" has no product name: its first non-blank line is empty' ;;
  # The name's own limit, apart from the paths made from it: an FxPlug
  # payload makes no folder of the name.
  product-226)
    mv "$payload" "$files/FX Files"
    name=$(printf 'n%.0s' $(seq 226)); printf '%s\r\n' "$name" >"$files/product.txt"; check_dist
    expect_status 0; expect_line "ok: product \"$name\"" ;;
  product-227)
    mv "$payload" "$files/FX Files"
    name=$(printf 'n%.0s' $(seq 226)); printf '%sX\r\n' "$name" >"$files/product.txt"; check_dist; alone
    expect_line "problem: the product name has 227 characters; the installer cuts it to 226: \"$name\"" ;;
  product-not-a-folder)
    printf 'Tools: Pro\r\n' >"$files/product.txt"; check_dist; alone
    expect_line 'problem: the product name names the folder installed into, and "Tools: Pro" holds a character Windows does not allow in names (\ / : * ? " < > |): the installer stops with "Unknown product. We cannot install."' ;;
  product-escapes)
    printf '..\\..\\escaped\r\n' >"$files/product.txt"; check_dist; alone
    expect_start 'problem: the product name names the folder installed into, and "..\..\escaped" holds a character' ;;
  product-device)
    printf 'aux.txt\r\n' >"$files/product.txt"; check_dist; alone
    expect_start 'problem: the product name names the folder installed into, and "aux.txt" is a reserved device name' ;;
  product-encodings)
    # A byte-order mark is read as the installer reads it.
    printf '\xef\xbb\xbfQuorvin Test\r\n' >"$files/product.txt"; check_dist
    expect_status 0; expect_line 'ok: product "Quorvin Test"'
    printf '\xff\xfeQ\0u\0o\0r\0v\0i\0n\0\r\0\n\0' >"$files/product.txt"; check_dist
    expect_status 0; expect_line 'ok: product "Quorvin"'
    printf '\xff\xfe\xe5\x65\x2c\x67' >"$files/product.txt"; check_dist
    expect_status 0; expect_line 'ok: product "日本"'
    printf '\xff\xfe\x3c\xd8A\0' >"$files/product.txt"; check_dist; alone
    expect_start 'problem: the first line of "product.txt" is not valid UTF-16' ;;
  fx-any-name)
    # An FxPlug payload goes into the location itself: the name makes no folder.
    mv "$payload" "$files/FX Files"; printf 'Tools: Pro\r\n' >"$files/product.txt"; check_dist
    expect_status 0
    expect_line 'note: payload "FX Files" (FxPlug plug-in)'
    expect_line 'note: path lengths checked under "C:\Program Files" (the installer'"'"'s default)' ;;
  nested-product)
    # The payload's only top-level entry, a folder named like the product
    # (in another case), installs one folder too deep; in an FxPlug payload,
    # which goes into the location itself, it is the product's own folder.
    mkdir "$work/moved"; mv "$payload"/* "$work/moved"; mv "$work/moved" "$payload/quorvin test"; check_dist
    expect_status 0
    expect_line 'warning: "App Files" holds only the folder "quorvin test", named like the product: it installs as "C:\Program Files\Quorvin Test\quorvin test\...", a folder too deep; put what it holds in "App Files" itself'
    expect_line 'summary: 0 problems, 1 warning'
    mv "$payload" "$files/FX Files"; check_dist; expect_status 0; expect_line 'summary: 0 problems, 0 warnings' ;;
  ae-location)
    mv "$payload" "$files/AE Files"; check_dist; expect_status 0
    expect_line 'note: path lengths checked under "C:\Program Files\Adobe\Adobe After Effects CS4\Support Files\Plug-ins\Quorvin Test" (a representative After Effects plug-in folder; the installer reads the real one from the registry)' ;;
  ps-location)
    mv "$payload" "$files/PS Files"; check_dist; expect_status 0
    expect_line 'note: path lengths checked under "C:\Program Files\Adobe\Adobe Photoshop CS4\Plug-ins\Quorvin Test" (a representative Photoshop plug-in folder; the installer reads the real one from the registry)' ;;
  mediacore-hosts)
    # The kind, where its paths are checked, and the hosts this machine
    # would offer: After Effects and Premiere Pro name the one MediaCore
    # folder, a Premiere Pro without the value is none.
    mv "$payload" "$files/MediaCore Files"
    reg="${WINELOADER:-wine} reg" ae='HKLM\Software\Adobe\After Effects' pr='HKLM\Software\Adobe\Premiere Pro'
    check_dist; expect_status 0
    expect_line 'note: payload "MediaCore Files" (MediaCore plug-in (After Effects and Premiere Pro))'
    expect_line 'note: path lengths checked under "C:\Program Files\Adobe\Common\Plug-ins\7.0\MediaCore\Quorvin Test" (the usual MediaCore folder; the installer reads the real one from the registry)'
    expect_line 'note: hosts seen on this machine: After Effects: none; Premiere Pro: none'
    expect_line 'note: no host on this machine has a usable plug-in folder: the installer here would ask for one'
    $reg add "$ae\23.0" /v CommonPluginInstallPath /d 'C:\MC' /f >/dev/null 2>&1 || fail "reg add"
    $reg add "$pr\24.0" /v CommonPluginInstallPath /d 'C:\MC\' /f >/dev/null 2>&1 || fail "reg add"
    $reg add "$pr\9.0" /v CommonPluginInstallPath /d 'C:\Old MC' /f >/dev/null 2>&1 || fail "reg add"
    $reg add "$pr\22.0" /f >/dev/null 2>&1 || fail "reg add"
    check_dist
    for key in "$ae" "$pr"; do $reg delete "$key" /f >/dev/null 2>&1; done
    expect_status 0
    expect_line 'note: the installer here would offer Premiere Pro 24.0 (32-bit): "C:\MC" (the default)'
    expect_line 'note: the installer here would offer Premiere Pro 9.0 (32-bit): "C:\Old MC"'
    [ "$(grep -c 'would offer' <<<"$out")" = 2 ] || fail "not two hosts offered" ;;
  languages)
    # Texts per language: listed, one of no language warned of, a licence
    # translated for German but not for French, which has its notes.
    printf 'Hinweise.\r\n' >"$files/readme.de.txt"; printf 'Bedingungen.\r\n' >"$files/EULA.de.txt"
    printf 'Notes.\r\n' >"$files/readme.fr.txt"; printf 'Termos.\r\n' >"$files/eula.pt.txt"
    printf 'x\r\n' >"$files/eula.xx.txt"
    check_dist; expect_status 0
    expect_line 'ok: "readme.de.txt" present'
    expect_line 'note: texts in other languages: de (release notes and licence), fr (release notes), pt-BR (licence); the others read "readme.txt" and "eula.txt"'
    expect_line 'warning: the licence is translated for 2 languages but not for fr, which has its release notes: its users read the terms in "eula.txt"'
    expect_line 'warning: "eula.xx.txt": "xx" is no language the installer speaks (en, de, fr, es, it, pt-BR, pl, ru, ja, zh-CN, zh-TW, ko, ar, he): it is never shown'
    expect_line 'summary: 0 problems, 2 warnings' ;;
  no-payload)
    rm -rf "$payload"; check_dist; alone
    expect_line 'problem: no payload folder ("App Files", "AE Files", "FX Files", "PS Files" or "MediaCore Files"): the installer has nothing to install and fails' ;;
  empty-payload)
    rm -rf "$payload"; mkdir -p "$payload"; echo x >"$payload/.DS_Store"; check_dist
    expect_status 1
    expect_line 'problem: "App Files" holds no file the installer would copy'
    expect_line 'summary: 1 problem, 1 warning' ;;
  two-payloads)
    cp -r "$payload" "$files/AE Files"; check_dist
    expect_status 0
    expect_line 'note: payload "AE Files" (After Effects plug-in)'
    expect_line 'warning: "App Files" is present too and will not be installed: of "App Files", "AE Files", "FX Files", "PS Files" and "MediaCore Files" the last present wins'
    expect_line 'summary: 0 problems, 1 warning' ;;
  dot-names)
    echo x >"$payload/.DS_Store"; mkdir -p "$payload/Sub/.git"; echo x >"$payload/Sub/.git/config"; check_dist
    expect_status 0
    expect_line 'warning: "App Files\.DS_Store" begins with "." and will not be installed'
    expect_line 'warning: "App Files\Sub\.git" begins with "." and will not be installed'
    expect_line 'summary: 0 problems, 2 warnings' ;;
  japanese)
    # Names of any script are installed as they are; their length is
    # counted in characters (UTF-16 units, an emoji two), not in bytes.
    echo x >"$payload/Sub/日本語.txt"; echo y >"$payload/Sub/🎨 art.png"; check_dist
    expect_status 0; expect_line 'summary: 0 problems, 0 warnings'
    # Folders of 80 characters each: a name holds 255 bytes on the disk
    # here. 34 + 80 + 1 + 80 + 1 + 64 = 260 characters.
    deep=$(printf '日%.0s' $(seq 80))/$(printf '本%.0s' $(seq 80))
    mkdir -p "$payload/Sub/$deep"
    long=$deep/$(printf '語%.0s' $(seq 60)).txt; echo x >"$payload/Sub/$long"; check_dist; alone
    expect_line "problem: \"App Files\\Sub\\${long//\//\\}\": the installed path would have 260 characters; the limit is 259; the install would fail there"
    rm "$payload/Sub/$long"; long=$deep/$(printf '語%.0s' $(seq 57))🎨.txt; echo x >"$payload/Sub/$long"; check_dist
    expect_status 0; expect_line 'ok: the longest installed path has 259 characters' ;;
  device-names)
    # Names the installer refuses: each is one problem.
    echo x >"$payload/nul.txt"; echo x >"$payload/Sub/COM1"; echo x >"$payload/Sub/dot."; check_dist
    expect_status 1
    expect_line 'problem: "App Files\nul.txt": "nul.txt" is a reserved device name; the install would fail there'
    expect_line 'problem: "App Files\Sub\COM1": "COM1" is a reserved device name; the install would fail there'
    expect_line 'problem: "App Files\Sub\dot.": "dot." ends in a dot or a space, which Windows drops; the install would fail there'
    expect_line 'summary: 3 problems, 0 warnings' ;;
  case-collision)
    echo one >"$payload/Sub/Readme.txt"; echo two >"$payload/Sub/README.TXT"; check_dist; alone
    expect_start 'problem: "App Files\Sub\' ;;
  long-path)
    # C:\Program Files\Quorvin Test (29) + \Sub\ (5) + 226 = 260 characters.
    long=$(printf 'L%.0s' $(seq 222)).txt; echo x >"$payload/Sub/$long"; check_dist; alone
    expect_line "problem: \"App Files\\Sub\\$long\": the installed path would have 260 characters; the limit is 259; the install would fail there" ;;
  longest-fits)
    long=$(printf 'L%.0s' $(seq 221)).txt; echo x >"$payload/Sub/$long"; check_dist
    expect_status 0; expect_line 'ok: the longest installed path has 259 characters' ;;
  links)
    # Links in the payload are problems, never followed: to a folder
    # outside, to a folder of the payload (a loop), and to a file outside.
    mkdir -p "$work/outside" && echo secret >"$work/outside/key.txt"
    ln -s "$work/outside" "$payload/Sub/Outside"
    ln -s .. "$payload/Sub/Loop"
    ln -s "$work/outside/key.txt" "$payload/Sub/key.txt"
    check_dist
    expect_status 1
    for link in Outside Loop key.txt; do
      expect_line "problem: \"App Files\\Sub\\$link\": it is a link or a junction, and the installer does not follow links in a payload; the install would fail there"
    done
    expect_line 'summary: 3 problems, 0 warnings' ;;
  payload-is-a-link)
    # The payload folder linked to the root of the file system: one
    # problem, at once.
    rm -rf "$payload" && ln -s / "$payload"
    check_dist; alone
    expect_start 'problem: "App Files": the payload folder: it is a link or a junction' ;;
  many-problems)
    # Thousands of bad names: the first are told, the rest counted.
    for i in $(seq 1 300); do echo x >"$payload/Sub/n$i."; done
    check_dist
    expect_status 1
    [ "$(grep -c '^problem: ' <<<"$out")" -eq 200 ] || fail "not 200 problem lines"
    expect_line 'note: 100 more problems in "App Files" are counted but not shown'
    expect_line 'summary: 300 problems, 0 warnings' ;;
  file-in-use)
    check_dist --hold "$payload/Sub/Presets/a.preset"; alone
    expect_line 'problem: "App Files\Sub\Presets\a.preset" cannot be opened for reading: Sharing violation. (error 32)' ;;
  no-bkgd)
    rm "$files/bkgd.jpg"; check_dist; alone
    expect_line 'problem: "bkgd.jpg" is missing: the window shows a plain grey background' ;;
  bad-bkgd)
    echo "not a picture" >"$files/bkgd.jpg"; check_dist; alone
    expect_line 'problem: "bkgd.jpg" cannot be read as a JPEG image: the window shows a plain grey background' ;;
  other-bkgd)
    # Another shape is stretched, a warning; smaller than 200 % is a note.
    picture 640 480 "$files/bkgd.jpg"; check_dist
    expect_status 0; expect_line "summary: 0 problems, 1 warning"
    expect_line 'warning: "bkgd.jpg" is 640 x 480, not in the window'"'"'s proportions (620 x 420): it is stretched to fit'
    expect_line 'note: "bkgd.jpg" is smaller than 1240 x 840, the window at 200 %: on screens above 103 % it is enlarged and less sharp' ;;
  large-bkgd)
    picture 1240 840 "$files/bkgd.jpg"; check_dist
    expect_status 0; expect_line "summary: 0 problems, 0 warnings"; expect_line 'ok: "bkgd.jpg" opens, 1240 x 840'
    ! grep -q 'note: "bkgd.jpg"' <<<"$out" || fail "a picture for 200 % has its note" ;;
  no-readme)
    rm "$files/readme.txt"; check_dist; alone
    expect_line 'problem: "readme.txt" is missing (the release notes of step 1)' ;;
  no-eula)
    rm "$files/eula.txt"; check_dist; alone
    expect_line 'problem: "eula.txt" is missing (the licence terms of step 2)' ;;
  usage)
    check; expect_status 2; expect_line "usage: distcheck DIST_FOLDER"
    check "$(winpath "$dist")" extra; expect_status 2
    check "$(winpath "$files/product.txt")"; expect_status 2; expect_start "distcheck: "
    ;;
  *) fail "unknown case" ;;
esac
echo "distcheck $case: ok"
