#!/usr/bin/env bash
# The signing password reaches scripts/sign.sh alone. `make installer SIGN_PKCS12=...` runs with
# SIGN_PASSWORD in its environment, then on its command line (and under -j), and every recipe
# line goes to a stand-in shell that runs nothing: it records whether the password is anywhere
# in the line's environment (MAKEFLAGS included) or in the line itself. Only the line that
# starts sign.sh may see it, exactly as given, and no line may show it.
#   sign_password_test.sh ROOT WORK
set -euo pipefail
root=$1 work=$2
rm -rf "$work"
mkdir -p "$work"
unset MAKEFLAGS MFLAGS MAKELEVEL SIGN_PASSWORD SIGN_PKCS12 SIGN_TIMESTAMP
fail() { echo "FAIL: $*"; exit 1; }
marker=tvex-test-secret-4711

cat >"$work/shell" <<EOF
#!/usr/bin/env bash
# make runs: shell -c LINE. Recipe lines have MAKELEVEL; make 4.3 runs \$(shell ...) (nproc,
# command -v ninja) with its own environment instead, so those are not recipes' children.
[ -n "\${MAKELEVEL:-}" ] || exit 0
seen=none
if env | grep -q $marker; then seen=elsewhere; fi
if [ "\${SIGN_PASSWORD-}" = "\$(cat "$work/secret")" ]; then seen=exact; fi
case \$2 in *$marker*) seen=on-the-line ;; esac
printf '%s\t%s\n' "\$seen" "\${2//\$'\n'/ }" >>"$work/lines"
EOF
chmod +x "$work/shell"

# run LABEL [make arguments]: the recipe lines of `make installer` and what each saw.
run() {
  local label=$1
  shift
  : >"$work/lines"
  make -s -C "$root" --no-print-directory BUILD="$work/build" SHELL="$work/shell" "$@" installer \
    >"$work/make.log" 2>&1 || { cat "$work/make.log"; fail "$label: make"; }
  [ "$(grep -c -F 'cmake --build' "$work/lines")" -ge 4 ] || { cat "$work/lines"; fail "$label: too few recipe lines"; }
}
check() { # LABEL: one line, the signing one, sees the password as given; no other line sees it
  local label=$1
  if grep -v -P '^exact\tscripts/sign\.sh ' "$work/lines" | grep -v -P '^none\t'; then
    fail "$label: the lines above see the password"
  fi
  [ "$(grep -c -P '^exact\tscripts/sign\.sh ' "$work/lines")" = 1 ] ||
    { cat "$work/lines"; fail "$label: sign.sh does not get the password once, as given"; }
  local built signed
  built=$(grep -n -F -- '--target tvexsetup' "$work/lines" | cut -d: -f1)
  signed=$(grep -n -F 'scripts/sign.sh' "$work/lines" | cut -d: -f1)
  [ "$signed" -gt "$built" ] || { cat "$work/lines"; fail "$label: signed before tvexsetup is built"; }
}

# From the environment, '$', blanks and quotes included: passed as it is.
printf '%s' "$marker \$HOME \"quoted\" it's" >"$work/secret"
SIGN_PASSWORD=$(cat "$work/secret") run environment SIGN_PKCS12=/nowhere/signer.p12
check environment

# On make's command line (where make itself reads '$' as its own), and under -j.
printf '%s' "$marker with blanks" >"$work/secret"
run "command line" SIGN_PKCS12=/nowhere/signer.p12 SIGN_PASSWORD="$(cat "$work/secret")" -j 3
check "command line"

# Without a certificate nothing is signed, and the password still goes nowhere.
SIGN_PASSWORD=$(cat "$work/secret") run unsigned
if grep -v -P '^none\t' "$work/lines"; then fail "unsigned: the lines above see the password"; fi
if grep -q 'sign\.sh' "$work/lines"; then fail "unsigned: sign.sh runs without SIGN_PKCS12"; fi
echo "the password reaches sign.sh alone"
rm -rf "$work"
