#!/usr/bin/env bash
# Makes a throwaway code-signing PKI in DIR once (later calls find it made;
# calls side by side wait for the first): a root, a code-signing
# certificate "Kestrova Test Signer" with its key encrypted by the password
# in DIR/password, the same as a PKCS#12 file, a time-stamp authority for
# osslsigncode's offline one, and a signer whose certificate expired in
# 2021. Nothing here is ever trusted outside the tests.
#
#   throwaway-pki.sh DIR
set -euo pipefail
dir=$1
mkdir -p "$dir"
exec 9>"$dir/.lock"
flock 9
[ -f "$dir/done" ] && exit 0

cd "$dir"
rm -rf ca && mkdir ca && : >ca/index.txt && echo 1000 >ca/serial
cat >ext.cnf <<'CNF'
[root]
basicConstraints = critical, CA:true
keyUsage = critical, keyCertSign, cRLSign
subjectKeyIdentifier = hash
[signer]
basicConstraints = CA:false
keyUsage = critical, digitalSignature
extendedKeyUsage = codeSigning
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid
[tsa]
basicConstraints = CA:false
keyUsage = critical, digitalSignature
extendedKeyUsage = critical, timeStamping
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid
[ca]
default_ca = own
[own]
database = ca/index.txt
new_certs_dir = ca
serial = ca/serial
default_md = sha256
policy = any
unique_subject = no
[any]
commonName = supplied
organizationName = optional
[req]
distinguished_name = dn
[dn]
CNF
# The password is random, so that a test can look for it where it must
# never be.
head -c 18 /dev/urandom | base64 | tr -d '/+=' >password
openssl req -config ext.cnf -x509 -newkey rsa:2048 -nodes -keyout root.key -out root.pem -days 30 \
  -subj "/CN=Throwaway Test Root" -extensions root 2>/dev/null
sign() {  # name subject [dates...]
  openssl req -config ext.cnf -newkey rsa:2048 -nodes -keyout "$1.key" -out "$1.csr" -subj "$2" 2>/dev/null
  openssl ca -batch -config ext.cnf -cert root.pem -keyfile root.key -in "$1.csr" -out "$1.pem" -notext \
    -extfile ext.cnf -extensions "${4:-signer}" ${3:+$3} 2>/dev/null
  cat "$1.pem" root.pem >"$1-chain.pem"
}
sign signer "/CN=Kestrova Test Signer/O=Kestrova" "-days 20"
sign tsa "/CN=Kestrova Test Time Stamps/O=Kestrova" "-days 20" tsa
sign expired "/CN=Kestrova Expired Signer/O=Kestrova" "-startdate 20200101000000Z -enddate 20210101000000Z"
# The signer's key encrypted with the password, and as a PKCS#12 file.
openssl pkey -in signer.key -out signer-encrypted.key -aes256 -passout file:password
openssl pkcs12 -export -in signer.pem -inkey signer.key -certfile root.pem -out signer.p12 -passout file:password
touch done
