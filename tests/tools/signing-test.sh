#!/usr/bin/env bash
# Signing the distribution end to end: scripts/make-dist signs the sample
# with a throwaway certificate (tests/tools/throwaway-pki.sh) and a local
# time-stamp authority, osslsigncode and distcheck (under Wine, with
# Windows's own calls) accept it, and one byte changed after signing makes
# both reject it; an unsigned and an expired signature are told; make-dist
# refuses to finish when signing or verifying fails, and never puts the
# password on a command line or in its output.
#
#   signing-test.sh RIG RIG_HOME DISTCHECK SETUP CASE
set -uo pipefail
rig=$1 home=$2 distcheck=$3 setup=$4 case=$5
top=$(cd "$(dirname "$0")/../.." && pwd)
fail() { echo "FAIL ($case): $*"; echo "$out" | sed 's/^/  out| /'; exit 1; }
out=""

work=$(dirname "$home")/signing-tests/$case
rm -rf "$work" && mkdir -p "$work"
pki=$(dirname "$home")/signing-tests/pki
bash "$top/tests/tools/throwaway-pki.sh" "$pki" || fail "no throwaway certificates"
dist=$work/dist

# make-dist's sample with this build's setup.exe, signed with OPTIONS.
make_dist() {  # OPTIONS...
  out=$(QV_SETUP_EXE=$setup "$top/scripts/make-dist" "$dist" "$@" 2>&1)
  status=$?
}
signed() {
  make_dist --pkcs12 "$pki/signer.p12" --pass-file "$pki/password" --tsa-cert "$pki/tsa-chain.pem" \
    --tsa-key "$pki/tsa.key" --ca "$pki/root.pem"
  [ $status -eq 0 ] || fail "make-dist failed"
}
check() {
  out=$("$top/scripts/wine" --home "$home" "$distcheck" "Z:${dist//\//\\}" 2>&1 | tr -d '\r')
  status=${PIPESTATUS[0]}
}
verify() { osslsigncode verify -CAfile "$pki/root.pem" -TSA-CAfile "$pki/root.pem" -in "$dist/setup.exe" >/dev/null 2>&1; }
expect_line() { grep -qxF -- "$1" <<<"$out" || fail "no line: $1"; }
expect_start() { grep -q "^$(sed 's/[][\\.*^$"]/\\&/g' <<<"$1")" <<<"$out" || fail "no line starting: $1"; }

case $case in
  sample)
    signed
    verify || fail "osslsigncode does not verify the signed sample"
    check
    [ $status -eq 0 ] || fail "distcheck status $status"
    expect_line "summary: 0 problems, 0 warnings"
    expect_start 'ok: setup.exe is signed by "Kestrova Test Signer" (CN=Kestrova Test Signer, O=Kestrova), SHA-256, time-stamped '
    grep -q 'time-stamped .* by "Kestrova Test Time Stamps"; users see this publisher' <<<"$out" || fail "no time stamp"
    expect_start 'note: the chain ends in "Throwaway Test Root", which this Wine prefix does not trust; whether users'"'"' Windows trusts it cannot be judged under Wine'
    # One byte changed after signing, inside what the signature covers.
    printf '\x5a' | dd of="$dist/setup.exe" bs=1 seek=4096 conv=notrunc 2>/dev/null
    ! verify || fail "osslsigncode verifies a changed file"
    check
    [ $status -eq 1 ] || fail "distcheck status $status for a changed file"
    expect_start 'problem: setup.exe was changed after it was signed (signed by "Kestrova Test Signer")'
    ;;
  unsigned)
    make_dist
    [ $status -eq 0 ] || fail "make-dist failed"
    check
    [ $status -eq 0 ] || fail "distcheck status $status"
    expect_start 'warning: setup.exe is not signed: SmartScreen stops it with "Windows protected your PC" and "Unknown publisher"'
    expect_line "summary: 0 problems, 1 warning"
    ;;
  expired)
    # make-dist will not finish with an expired certificate: it does not
    # verify. Signed by hand, without a time stamp, distcheck says why.
    make_dist --cert "$pki/expired-chain.pem" --key "$pki/expired.key" --ca "$pki/root.pem"
    [ $status -ne 0 ] && [ ! -e "$dist/setup.exe" ] || fail "make-dist finished with an expired certificate"
    grep -q "the signature does not verify" <<<"$out" || fail "make-dist did not say why"
    make_dist
    osslsigncode sign -certs "$pki/expired-chain.pem" -key "$pki/expired.key" -h sha256 -in "$dist/setup.exe" \
      -out "$work/expired.exe" >/dev/null 2>&1 || fail "osslsigncode sign"
    mv "$work/expired.exe" "$dist/setup.exe"
    check
    [ $status -eq 1 ] || fail "distcheck status $status"
    expect_line 'problem: the signing certificate expired 2021-01-01 00:00 UTC and the signature has no time stamp: Windows takes the signature as invalid'
    ;;
  refusals)
    # A wrong password, and a signature that does not verify: no setup.exe.
    QV_SIGN_PASSWORD=not-the-password make_dist --pkcs12 "$pki/signer.p12" --ca "$pki/root.pem"
    [ $status -ne 0 ] && [ ! -e "$dist/setup.exe" ] || fail "make-dist finished with a wrong password"
    grep -q "signing failed: setup.exe removed" <<<"$out" || fail "make-dist did not say signing failed"
    make_dist --cert "$pki/signer-chain.pem" --key "$pki/signer.key"
    [ $status -ne 0 ] && [ ! -e "$dist/setup.exe" ] || fail "make-dist finished with a root no one trusts"
    make_dist --pkcs12 "$pki/signer.p12" --pass-file "$work/none"
    [ $status -ne 0 ] || fail "make-dist took a password file that is not there"
    make_dist --pkcs12
    [ $status -ne 0 ] || fail "make-dist took an option without its value"
    ;;
  no-secrets)
    # osslsigncode behind a stand-in that writes down every command line:
    # the password, from a file or the environment, is on none, nor in
    # make-dist's output.
    mkdir -p "$work/bin"
    real=$(command -v osslsigncode)
    printf '#!/bin/sh\nprintf "%%s\\n" "$*" >>"%s"\nexec "%s" "$@"\n' "$work/argv" "$real" >"$work/bin/osslsigncode"
    chmod +x "$work/bin/osslsigncode"
    password=$(cat "$pki/password")
    PATH=$work/bin:$PATH signed
    all=$out
    PATH=$work/bin:$PATH QV_SIGN_PASSWORD=$password make_dist --cert "$pki/signer-chain.pem" \
      --key "$pki/signer-encrypted.key" --ca "$pki/root.pem"
    [ $status -eq 0 ] || fail "make-dist with an encrypted key failed"
    all+=$out
    [ "$(grep -c '^sign ' "$work/argv")" -eq 2 ] || fail "osslsigncode was not run through the stand-in"
    ! grep -qF -- "$password" "$work/argv" || fail "the password is on a command line: $(cat "$work/argv")"
    ! grep -qF -- "$password" <<<"$all" || fail "the password is in make-dist's output"
    ;;
  *) fail "unknown case" ;;
esac
echo "signing $case: ok"
