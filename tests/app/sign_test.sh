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
fail() { echo "FAIL: $*"; exit 1; }
rm -rf "$out"
mkdir -p "$out/work"
# The signed program alone in OUT, everything else in OUT/work: a stray file of the signing shows.
exe=$out/app_test_signed.exe
cd "$out/work"
listing() { ls -A "$out"; }
expected_listing=$(printf '%s\n' app_test_signed.exe work)

# A certificate for code signing, and one for web servers only, which osslsigncode signs with
# but its verify refuses.
certificate() { # NAME USAGE
  openssl req -x509 -newkey rsa:2048 -nodes -keyout "$1.key" -out "$1.pem" -days 2 \
    -subj "/CN=Tvex test $1" -addext "extendedKeyUsage=$2" 2>/dev/null
  openssl pkcs12 -export -inkey "$1.key" -in "$1.pem" -out "$1.p12" -passout pass:test-secret
}
certificate signer codeSigning
certificate web serverAuth
cp "$installer" "$exe"

# Twice: a signature already there is replaced, not nested. Each time the signed file takes
# the old one's place (another inode), and nothing else is left beside it. The second round runs
# under strace where it can: the program is never opened for writing, and one rename from its
# own folder replaces it.
tracer=()
if command -v strace >/dev/null && strace -f -qq -o /dev/null true 2>/dev/null; then
  tracer=(strace -f -qq -e "trace=open,openat,creat,rename,renameat,renameat2" -o "$PWD/trace.log")
fi
for round in 1 2; do
  inode=$(stat -c %i "$exe")
  run=(); [ "$round" = 2 ] && run=("${tracer[@]}")
  SIGN_PKCS12=signer.p12 SIGN_PASSWORD=test-secret SIGN_TIMESTAMP="" "${run[@]}" "$sign" "$exe" \
    >sign.log 2>&1 || { cat sign.log; fail "signing round $round"; }
  [ "$(stat -c %i "$exe")" != "$inode" ] || fail "round $round rewrote the file in place"
  [ "$(listing)" = "$expected_listing" ] || fail "round $round left $(listing | tr '\n' ' ')"
done
if [ ${#tracer[@]} -gt 0 ]; then
  if grep -E "\"$exe\", [^)]*O_(WRONLY|RDWR)" trace.log; then fail "the program was opened for writing"; fi
  renames=$(grep -c -E "rename[a-z0-9]*\(.*\"$out/\.[^\"/]*\", .*\"$exe\".*\) = 0$" trace.log || true)
  [ "$renames" = 1 ] || { grep rename trace.log; fail "$renames renames from $out onto the program"; }
else
  echo "(no strace here: the rename is not traced)"
fi
cmp -s "$installer" "$exe" && fail "the signed copy is unchanged"

osslsigncode verify -in "$exe" -CAfile signer.pem >verify.log 2>&1 || {
  cat verify.log; fail "osslsigncode does not accept the signature"; }
grep -q "Signature verification: ok" verify.log || { cat verify.log; fail "no ok"; }
grep -q "Message digest algorithm  : SHA256" verify.log || grep -qi "sha256" verify.log ||
  { cat verify.log; fail "not SHA-256"; }
signatures=$(grep -c "Signer's certificate:" verify.log || true)
[ "$signatures" -le 1 ] || { cat verify.log; fail "$signatures signatures"; }

# Each failure signs nothing and leaves the file as it was, and nothing beside it: a wrong
# password, a certificate verify refuses, and a signed copy damaged after signing (an
# osslsigncode that flips a byte of the program's code in its output).
real_osslsigncode=$(command -v osslsigncode)
mkdir -p damaging
cat >damaging/osslsigncode <<EOF
#!/usr/bin/env bash
"$real_osslsigncode" "\$@" || exit
if [ "\$1" = sign ]; then
  out=\${@: -1}
  printf '\\xA5' | dd of="\$out" bs=1 seek=4096 conv=notrunc status=none
fi
EOF
chmod +x damaging/osslsigncode
cp "$exe" before.exe
inode=$(stat -c %i "$exe")
for case in "wrong password" "web certificate" "damaged copy"; do
  p12=signer.p12 password=test-secret path=$PATH reason="verify refuses"
  case $case in
    "wrong password") password=wrong reason="cannot read the certificate" ;;
    "web certificate") p12=web.p12 ;;
    "damaged copy") path=$PWD/damaging:$PATH ;;
  esac
  if PATH=$path SIGN_PKCS12=$p12 SIGN_PASSWORD=$password "$sign" "$exe" >sign.log 2>&1; then
    cat sign.log; fail "$case: signing succeeded"
  fi
  grep -q "^sign: .*$reason" sign.log || { cat sign.log; fail "$case: not \"$reason\""; }
  cmp -s before.exe "$exe" || fail "$case: the file changed"
  [ "$(stat -c %i "$exe")" = "$inode" ] || fail "$case: the file was replaced"
  [ "$(listing)" = "$expected_listing" ] || fail "$case: left $(listing | tr '\n' ' ')"
done
echo "signed and verified: $exe"
