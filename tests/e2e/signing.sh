#!/usr/bin/env bash
# Authenticode signing of the Windows programs by scripts/sign-windows, with a code-signing
# certificate from a test authority made at test time: signed from a PKCS#12 file and from a
# PKCS#11 token (SoftHSM standing in for a hardware token), each verified by osslsigncode against
# that authority with the program's name and Quillmark's URL in the signature; a byte changed
# after signing fails the verification; signing twice leaves one signature; without a
# certificate the program stays as built and one line says so.
# usage: signing.sh WORK_DIR PROGRAM.exe
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/tests/e2e/code-signing.sh"
work=$1 program=$2
rm -rf "$work"
mkdir -p "$work"
failures=0
checks=0
check() { # check DESCRIPTION COMMAND...: runs the command, counts a failure
  local what=$1
  shift
  checks=$((checks + 1))
  if "$@" >"$work/check.log" 2>&1; then echo "ok: $what"; else echo "FAILED: $what"; cat "$work/check.log"; failures=$((failures + 1)); fi
}
verify() { osslsigncode verify -CAfile "$work/cert/authority.pem" -in "$1"; }
signed_with_name() { verify "$1" | tee "$work/verify.log" >/dev/null; grep -qx '	Text description: QM Smart Test' "$work/verify.log" && grep -qx '	URL description: https://www.quillmark.example/' "$work/verify.log" && grep -q '^Message digest algorithm  : SHA256' "$work/verify.log" && grep -qx 'Number of verified signatures: 1' "$work/verify.log"; }
not() { ! "$@"; }

signing_certificate "$work/cert" "test password"

# Without a certificate: nothing changes, one line says so.
cp "$program" "$work/unsigned.exe"
out=$(env -u QM_SIGN_PKCS12 -u QM_SIGN_PKCS11_MODULE "$root/scripts/sign-windows" "$work/unsigned.exe")
check "without a certificate: one line" test "$(printf '%s\n' "$out" | wc -l)" -eq 1
check "without a certificate: the program as built" cmp "$program" "$work/unsigned.exe"
check "without a certificate: no signature" not verify "$work/unsigned.exe"

# A PKCS#12 file and its password from the environment.
cp "$program" "$work/p12.exe"
QM_SIGN_PKCS12="$work/cert/signer.p12" QM_SIGN_PASSWORD="test password" "$root/scripts/sign-windows" "$work/p12.exe" >/dev/null
check "PKCS#12: verified against the test authority, SHA-256, name and URL" signed_with_name "$work/p12.exe"
check "PKCS#12: signing again leaves one signature" \
  env QM_SIGN_PKCS12="$work/cert/signer.p12" QM_SIGN_PASSWORD="test password" "$root/scripts/sign-windows" "$work/p12.exe"
check "PKCS#12: the program signed twice has one signature, verified" signed_with_name "$work/p12.exe"
osslsigncode remove-signature -in "$work/p12.exe" -out "$work/removed.exe" >/dev/null
check "PKCS#12: removing the signature gives the program as built" cmp "$program" "$work/removed.exe"
check "a wrong password signs nothing" not env QM_SIGN_PKCS12="$work/cert/signer.p12" QM_SIGN_PASSWORD="wrong" \
  "$root/scripts/sign-windows" "$work/unsigned.exe"
check "a wrong password leaves the program as built" cmp "$program" "$work/unsigned.exe"

# One byte changed after signing: the file's digest no longer matches its signature.
cp "$work/p12.exe" "$work/changed.exe"
printf '\x90' | dd of="$work/changed.exe" bs=1 seek=1100 conv=notrunc status=none
check "a byte changed after signing fails the verification" not verify "$work/changed.exe"

# A PKCS#11 token: SoftHSM with the key imported, as a hardware token holds it.
export SOFTHSM2_CONF=$work/softhsm2.conf
mkdir -p "$work/tokens"
echo "directories.tokendir = $work/tokens" >"$SOFTHSM2_CONF"
module=/usr/lib/softhsm/libsofthsm2.so
softhsm2-util --init-token --free --label qm-signing --so-pin 87654321 --pin 123456 >/dev/null
openssl pkcs8 -topk8 -nocrypt -in "$work/cert/signer.key" -outform DER -out "$work/signer.der"
pkcs11-tool --module "$module" --login --pin 123456 --token-label qm-signing --write-object "$work/signer.der" \
  --type privkey --id 01 --label qm-signer >/dev/null 2>&1
cp "$program" "$work/token.exe"
QM_SIGN_PKCS11_MODULE=$module QM_SIGN_PKCS11_KEY="pkcs11:token=qm-signing;object=qm-signer;type=private" \
  QM_SIGN_CERTS="$work/cert/chain.pem" QM_SIGN_PIN=123456 "$root/scripts/sign-windows" "$work/token.exe" >/dev/null
check "PKCS#11 token: verified against the test authority, SHA-256, name and URL" signed_with_name "$work/token.exe"

echo "Signing: $((checks - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
