#!/usr/bin/env bash
# tools/release.sh end to end, with a throwaway CA and code-signing
# certificate made here (no real key is in the repository):
#   - a signed release verifies, passes the static checks, and is the
#     unsigned reproducible build plus its signature;
#   - one changed byte makes verification fail;
#   - one commit signed twice, in two checkouts, gives the same bytes;
#   - bad input (a dirty tree, a wrong password, a file that is not PKCS#12,
#     a certificate without code-signing usage, an expired one, a time-stamp
#     server that cannot be reached) ends it with its one-line reason and
#     dist/ as it was;
#   - the signed launcher still loads and starts Java under Wine.
#
#   release_tests.sh SOURCE_FOLDER LAUNCHER.exe E2E_TESTS.exe GTEST_FILTER
# LAUNCHER is this build's shipped launcher: in a 32-bit build, byte for byte
# the unsigned release; in a 64-bit one it is signed here for the Wine run.
# The end-to-end program runs GTEST_FILTER (one successful start) on the
# signed file, in the test session's Wine (TQ_WINE_HOME).
set -uo pipefail
source=$(cd "$1" && pwd)
launcher=$2
e2e=$3
filter=$4
python=/usr/bin/python3

work=$(mktemp -d /tmp/tq-release-tests.XXXXXX)
trap 'rm -rf "$work"' EXIT
failures=0
ok() { echo "ok    $*"; }
not_ok() {
  echo "FAIL  $*"
  failures=$((failures + 1))
}

# --- A throwaway CA and its certificates -------------------------------------
pki=$work/pki
mkdir -p "$pki"
cat >"$pki/ca.cnf" <<'EOF'
[ca]
default_ca = test_ca
[test_ca]
database = index.txt
new_certs_dir = .
serial = serial
default_md = sha256
policy = any
unique_subject = no
[any]
commonName = supplied
[req]
distinguished_name = dn
[dn]
[ca_ext]
basicConstraints = critical,CA:true
keyUsage = critical,keyCertSign,cRLSign
[signer]
basicConstraints = CA:false
keyUsage = critical,digitalSignature
extendedKeyUsage = codeSigning
[server]
basicConstraints = CA:false
keyUsage = critical,digitalSignature
extendedKeyUsage = serverAuth
EOF
(
  set -e
  cd "$pki"
  : >index.txt
  echo 01 >serial
  openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 2 \
    -subj "/CN=Tovane Release Test CA" -config ca.cnf -extensions ca_ext
  printf 'correct horse battery staple\n' >password
  # name, extensions, validity
  for certificate in "signer signer -days 2" "server server -days 2" \
    "expired signer -startdate 20200101000000Z -enddate 20200201000000Z"; do
    read -r name extensions validity <<<"$certificate"
    openssl req -newkey rsa:2048 -nodes -keyout "$name.key" -out "$name.csr" \
      -subj "/CN=Tovane Release Test $name" -config ca.cnf
    # shellcheck disable=SC2086
    openssl ca -batch -config ca.cnf -cert ca.pem -keyfile ca.key -in "$name.csr" \
      -out "$name.pem" -extensions "$extensions" $validity -notext
    openssl pkcs12 -export -inkey "$name.key" -in "$name.pem" -certfile ca.pem \
      -passout file:password -out "$name.pfx"
  done
  head -c 4096 /dev/urandom >not-a-pfx.pfx
  printf 'wrong\n' >wrong-password
) >"$work/pki.log" 2>&1 || {
  cat "$work/pki.log"
  echo "FAIL  making the test certificates"
  exit 1
}

# --- Checkouts ----------------------------------------------------------------
# A clean checkout of the source as it stands (committed or not), as the
# release command needs one; a clone of it is a second checkout of the same
# commit.
checkout=$work/checkout
mkdir -p "$checkout"
(cd "$source" && git ls-files -z -co --exclude-standard | tar --null -T - -cf -) |
  tar -xf - -C "$checkout"
git -C "$checkout" init -q
git -C "$checkout" add -A
git -C "$checkout" -c user.name=release-test -c user.email=release-test@invalid \
  commit -qm "release test"
git clone -q "$checkout" "$work/second checkout"

# release CHECKOUT ARGUMENTS...: runs the release command; its output is in
# $work/out and $work/err, its status in $status.
release() {
  local from=$1
  shift
  # The builds only compute: they yield to the tests beside them that wait
  # on the launcher's timers.
  (cd "$from" && nice -n 10 tools/release.sh "$@") >"$work/out" 2>"$work/err" && status=0 ||
    status=$?
}
dist_state() { (cd "$1" && find dist -type f -exec sha256sum {} + 2>/dev/null | sort); }

# expect_refused WHAT REASON ARGUMENTS...: the release fails with one line
# that says REASON, and dist/ is as it was.
expect_refused() {
  local what=$1 reason=$2 before
  shift 2
  before=$(dist_state "$checkout")
  release "$checkout" "$@"
  if [ "$status" -ne 0 ] && grep -q "^release: .*$reason" "$work/err" &&
    [ "$(grep -c '^release: ' "$work/err")" -eq 1 ] &&
    [ "$(dist_state "$checkout")" = "$before" ]; then
    ok "$what: $(grep '^release: ' "$work/err")"
  else
    not_ok "$what: status $status, expected one line with '$reason' and dist/ untouched:"
    cat "$work/err"
  fi
}

signer=("--sign" "$pki/signer.pfx" "--password-file" "$pki/password" "--ca" "$pki/ca.pem")

# --- Bad input, before anything is built ---------------------------------------
touch "$checkout/stray file"
expect_refused "a dirty work tree" "uncommitted changes" "${signer[@]}"
rm "$checkout/stray file"
expect_refused "a wrong password" "wrong password" \
  --sign "$pki/signer.pfx" --password-file "$pki/wrong-password"
expect_refused "a file that is not PKCS#12" "not a PKCS#12 file" \
  --sign "$pki/not-a-pfx.pfx" --password-file "$pki/password"
expect_refused "a certificate without code-signing usage" "not for code signing" \
  --sign "$pki/server.pfx" --password-file "$pki/password"
expect_refused "an expired certificate" "expired" \
  --sign "$pki/expired.pfx" --password-file "$pki/password"
expect_refused "a password on the command line" "never taken from the command line" \
  --sign "$pki/signer.pfx" --password secret
expect_refused "a time-stamp server that cannot be reached" "could not be reached" \
  "${signer[@]}" --timestamp http://127.0.0.1:9/

# --- A signed release ---------------------------------------------------------
release "$checkout" "${signer[@]}"
signed=$checkout/dist/TovaneQuillon-1.0.0.0/TovaneQuillon.exe
if [ "$status" -eq 0 ] && [ -f "$signed" ]; then
  ok "signed release: $(tail -n 1 "$work/out")"
else
  not_ok "signed release: status $status"
  cat "$work/out" "$work/err"
  exit 1
fi
unsigned_sum=$(sed -n 's/^unsigned build: sha256 //p' "$work/out")
if (cd "$(dirname "$signed")" && sha256sum -c --quiet SHA256SUMS); then
  ok "SHA256SUMS lists the signed file"
else
  not_ok "SHA256SUMS does not match the signed file"
fi
if osslsigncode verify -CAfile "$pki/ca.pem" -in "$signed" >"$work/verify" 2>&1; then
  ok "the signature verifies against the test CA"
else
  not_ok "the signature does not verify:"
  tail -n 5 "$work/verify"
fi
if osslsigncode verify -in "$signed" >/dev/null 2>&1; then
  not_ok "the signature verifies against the system's trust store, which does not hold the test CA"
else
  ok "without the test CA the signature does not verify"
fi
changed=$work/changed.exe
cp "$signed" "$changed"
printf '\x5a' | dd of="$changed" bs=1 seek=4096 conv=notrunc status=none
if cmp -s "$changed" "$signed"; then
  printf '\x5b' | dd of="$changed" bs=1 seek=4096 conv=notrunc status=none
fi
if osslsigncode verify -CAfile "$pki/ca.pem" -in "$changed" >/dev/null 2>&1; then
  not_ok "a file with one byte changed still verifies"
else
  ok "one byte changed: verification fails"
fi

# --- The same commit signed twice ---------------------------------------------
TQ_SIGN_PASSWORD="correct horse battery staple" \
  release "$work/second checkout" --sign "$pki/signer.pfx" --ca "$pki/ca.pem"
second="$work/second checkout/dist/TovaneQuillon-1.0.0.0/TovaneQuillon.exe"
if [ "$status" -eq 0 ] && cmp -s "$signed" "$second"; then
  ok "signed twice, in two checkouts, with the password from the environment: the same bytes"
else
  not_ok "signing the same commit twice gave different files (status $status)"
  cat "$work/err"
fi
if grep -q "correct horse" "$work/out" "$work/err"; then
  not_ok "the password was printed"
fi


# --- The signed launcher under Wine -------------------------------------------
# In a 32-bit build this build's launcher is the release's unsigned file; a
# 64-bit build signs its own the same way for this run.
run=$signed
if [ "$(sha256sum "$launcher" | cut -d' ' -f1)" = "$unsigned_sum" ]; then
  ok "this build's launcher is byte for byte the unsigned release"
else
  run=$work/signed-$(basename "$launcher")
  tr -d '\n' <"$pki/password" >"$work/password-line"
  if osslsigncode sign -pkcs12 "$pki/signer.pfx" -readpass "$work/password-line" -h sha256 \
    -time 1700000000 -in "$launcher" -out "$run" >"$work/sign" 2>&1 &&
    "$python" "$source/tests/resources/check_signed.py" "$launcher" "$run" >/dev/null; then
    ok "this build's own launcher signed for the Wine run"
  else
    not_ok "signing this build's launcher failed:"
    cat "$work/sign"
  fi
fi
if TQ_E2E_LAUNCHER=$run "$source/tools/wine-run.sh" "$e2e" "--gtest_filter=$filter" \
  >"$work/e2e" 2>&1 && grep -q '\[  PASSED  \] 1 test' "$work/e2e"; then
  ok "the signed launcher starts Java under Wine ($filter)"
else
  not_ok "the signed launcher under Wine:"
  tail -n 30 "$work/e2e"
fi

echo "release tests: $failures failed"
[ "$failures" -eq 0 ]
