#!/usr/bin/env bash
# Signs a Windows program with Authenticode, SHA-256, in place: scripts/sign.sh FILE
# From the environment (make installer SIGN_PKCS12=... passes them to this script alone):
#   SIGN_PKCS12     the certificate and its key, a PKCS#12 file
#   SIGN_PASSWORD   its password (empty when it has none); osslsigncode and openssl read it from
#                   a file of this script's own, so that it never shows on a command line, and no
#                   program this script starts finds it in its environment
#   SIGN_TIMESTAMP  an RFC 3161 time-stamp server; none is asked unless it is given
# A signature the file has already is replaced. The signed program is written beside FILE and
# checked with `osslsigncode verify` against the signer's own certificate before one rename puts
# it in FILE's place: FILE is either as it was or signed and verified, never half-written.
set -euo pipefail
file=${1:?usage: sign.sh FILE}
password=${SIGN_PASSWORD:-}
unset SIGN_PASSWORD
fail() { echo "sign: $*" >&2; exit 1; }
: "${SIGN_PKCS12:?sign: SIGN_PKCS12 names no certificate}"
for tool in osslsigncode openssl; do
  command -v "$tool" >/dev/null || fail "$tool is missing (scripts/deps.sh installs it)"
done
[ -f "$SIGN_PKCS12" ] || fail "no such file: $SIGN_PKCS12"
[ -f "$file" ] || fail "no such file: $file"

# The password, the certificates and an unsigned copy stay in a private folder; the signed file
# is made in FILE's own folder, so that the rename that replaces FILE never crosses file systems.
# osslsigncode refuses to write over an existing file, so a name taken meanwhile fails safely.
work=$(mktemp -d "${TMPDIR:-/tmp}/tvex-sign.XXXXXX")
signed=$(mktemp -u "$(dirname -- "$file")/.$(basename -- "$file").signing.XXXXXX")
trap 'rm -rf "$work"; rm -f "$signed"' EXIT
trap 'exit 1' HUP INT TERM
(umask 077 && printf '%s' "$password" >"$work/password")

# The signer's certificate and the chain the PKCS#12 file carries. A file made by OpenSSL 1.x
# (RC2 encryption) needs the legacy provider of OpenSSL 3.
certificates() {
  openssl pkcs12 -in "$SIGN_PKCS12" -passin "file:$work/password" -nokeys "$@" 2>/dev/null ||
    openssl pkcs12 -legacy -in "$SIGN_PKCS12" -passin "file:$work/password" -nokeys "$@" 2>/dev/null
}
certificates -clcerts -out "$work/signer.pem" >/dev/null ||
  fail "cannot read the certificate of $SIGN_PKCS12 (a wrong SIGN_PASSWORD?)"
certificates -out "$work/chain.pem" >/dev/null
leaf_hash=$(openssl x509 -in "$work/signer.pem" -outform DER | sha256sum | cut -d' ' -f1)
# Verification trusts the system's authorities as osslsigncode does by default, and the
# PKCS#12 file's own certificates, so that a self-signed certificate verifies too.
cat "$work/chain.pem" >"$work/trusted.pem"
for bundle in /etc/ssl/certs/ca-certificates.crt /etc/pki/tls/certs/ca-bundle.crt; do
  if [ -f "$bundle" ]; then cat "$bundle" >>"$work/trusted.pem"; break; fi
done

input=$file
if osslsigncode extract-signature -in "$file" -out "$work/old.sig" >/dev/null 2>&1; then
  osslsigncode remove-signature -in "$file" -out "$work/unsigned.exe" >/dev/null
  input=$work/unsigned.exe
fi
args=(sign -pkcs12 "$SIGN_PKCS12" -readpass "$work/password" -h sha256 -n "Zephrin/TvexIII")
if [ -n "${SIGN_TIMESTAMP:-}" ]; then args+=(-ts "$SIGN_TIMESTAMP"); fi
osslsigncode "${args[@]}" -in "$input" -out "$signed" >/dev/null || fail "osslsigncode cannot sign $file"

# The signature must match the file and come from this very certificate. Revocation lists are
# the business of the machine that runs the program: osslsigncode 2.8 and later would fetch them.
verify=(verify -in "$signed" -CAfile "$work/trusted.pem" -require-leaf-hash "sha256:$leaf_hash")
if osslsigncode --help 2>&1 | grep -q -- -ignore-cdp; then verify+=(-ignore-cdp); fi
if ! osslsigncode "${verify[@]}" >"$work/verify.log" 2>&1; then
  grep -i -E "error|fail|mismatch|unsupported" "$work/verify.log" | sed 's/^/  /' >&2 || true
  fail "osslsigncode verify refuses the signed copy; $file is left as it was"
fi
chmod --reference="$file" "$signed"
mv -f -- "$signed" "$file"
echo "signed and verified: $file"
