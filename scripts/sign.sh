#!/usr/bin/env bash
# Signs a Windows program with Authenticode, SHA-256, in place: scripts/sign.sh FILE
# From the environment (make installer SIGN_PKCS12=... passes them):
#   SIGN_PKCS12     the certificate and its key, a PKCS#12 file
#   SIGN_PASSWORD   its password (empty when it has none); osslsigncode reads it from a file
#                   of this script's own, so that it never shows on a command line
#   SIGN_TIMESTAMP  an RFC 3161 time-stamp server; none is asked unless it is given
# A signature the file has already is replaced.
set -euo pipefail
file=${1:?usage: sign.sh FILE}
: "${SIGN_PKCS12:?sign: SIGN_PKCS12 names no certificate}"
command -v osslsigncode >/dev/null || { echo "sign: osslsigncode is missing (scripts/deps.sh osslsigncode)" >&2; exit 1; }
[ -f "$SIGN_PKCS12" ] || { echo "sign: no such file: $SIGN_PKCS12" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/tvex-sign.XXXXXX")
trap 'rm -rf "$work"' EXIT
input=$file
if osslsigncode extract-signature -in "$file" -out "$work/old.sig" >/dev/null 2>&1; then
  osslsigncode remove-signature -in "$file" -out "$work/unsigned.exe" >/dev/null
  input=$work/unsigned.exe
fi
(umask 077 && printf '%s' "${SIGN_PASSWORD:-}" >"$work/password")
args=(sign -pkcs12 "$SIGN_PKCS12" -readpass "$work/password" -h sha256 -n "Zephrin/TvexIII")
if [ -n "${SIGN_TIMESTAMP:-}" ]; then args+=(-ts "$SIGN_TIMESTAMP"); fi
osslsigncode "${args[@]}" -in "$input" -out "$work/signed.exe" >/dev/null
chmod --reference="$file" "$work/signed.exe"
mv "$work/signed.exe" "$file"
echo "signed: $file"
