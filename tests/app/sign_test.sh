#!/usr/bin/env bash
# Signs a copy of a test installer as `make installer SIGN_PKCS12=...` signs tvexsetup.exe,
# with a throwaway self-signed certificate, and has osslsigncode verify it. The signed copy
# stays in OUT for the driver, which checks that it still passes its own payload check.
#   sign_test.sh SIGN_SCRIPT INSTALLER OUT
# Exits 77 (skipped) when osslsigncode or openssl is missing.
set -euo pipefail
sign=$(realpath "$1") installer=$(realpath "$2") out=$3
for tool in osslsigncode openssl; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is missing (scripts/deps.sh installs it)"; exit 77; }
done
rm -rf "$out"
mkdir -p "$out"
cd "$out"

openssl req -x509 -newkey rsa:2048 -nodes -keyout key.pem -out cert.pem -days 2 \
  -subj "/CN=Tvex test signer" -addext "extendedKeyUsage=codeSigning" 2>/dev/null
openssl pkcs12 -export -inkey key.pem -in cert.pem -out signer.p12 -passout pass:test-secret
cp "$installer" app_test_signed.exe

# Twice: a signature already there is replaced, not nested.
for round in 1 2; do
  SIGN_PKCS12=signer.p12 SIGN_PASSWORD=test-secret SIGN_TIMESTAMP= "$sign" app_test_signed.exe
done
cmp -s "$installer" app_test_signed.exe && { echo "FAIL: the signed copy is unchanged"; exit 1; }

osslsigncode verify -in app_test_signed.exe -CAfile cert.pem >verify.log 2>&1 || {
  cat verify.log; echo "FAIL: osslsigncode does not accept the signature"; exit 1; }
grep -q "Signature verification: ok" verify.log || { cat verify.log; echo "FAIL: no ok"; exit 1; }
grep -q "Message digest algorithm  : SHA256" verify.log || grep -qi "sha256" verify.log ||
  { cat verify.log; echo "FAIL: not SHA-256"; exit 1; }
signatures=$(grep -c "Signer's certificate:" verify.log || true)
[ "$signatures" -le 1 ] || { cat verify.log; echo "FAIL: $signatures signatures"; exit 1; }

# A wrong password signs nothing and leaves the file as it was.
cp app_test_signed.exe before.exe
if SIGN_PKCS12=signer.p12 SIGN_PASSWORD=wrong "$sign" app_test_signed.exe 2>/dev/null; then
  echo "FAIL: signed with a wrong password"; exit 1
fi
cmp -s before.exe app_test_signed.exe || { echo "FAIL: a failed signing changed the file"; exit 1; }
rm -f before.exe key.pem
echo "signed and verified: $out/app_test_signed.exe"
