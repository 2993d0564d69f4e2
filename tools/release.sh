#!/usr/bin/env bash
# Builds the launcher we ship from this commit, checks it, and puts it in
# dist/, signed when asked:
#   tools/release.sh
#   tools/release.sh --sign CERT.pfx [--password-file FILE] [--timestamp URL] [--ca FILE]
# writes dist/TovaneQuillon-<file version>/TovaneQuillon.exe with a SHA256SUMS
# file beside it, and prints the checksum. It works from a clean checkout
# only: what it writes must be what the commit builds, and anyone building
# the same commit gets the same bytes.
#
# Signing: an Authenticode SHA-256 signature (osslsigncode) with the
# certificate and key of a PKCS#12 file. Its password comes from
# --password-file or from the environment variable TQ_SIGN_PASSWORD, never
# from the command line, and is never printed. --timestamp asks an RFC 3161
# time-stamp server to countersign; without one the signing time is
# SOURCE_DATE_EPOCH, else the commit's time, so that one commit, certificate
# and (RSA) key give the same signed bytes. The signed file is verified
# against the chain in --ca (a private or test CA) or the system's trust
# store, checked like the unsigned one, and compared with it, before
# anything is written to dist/. Bad input ends it with a one-line reason and
# dist/ untouched.
set -euo pipefail
cd "$(dirname "$0")/.."
python=/usr/bin/python3  # Debian's, which has pefile
system_trust=/etc/ssl/certs/ca-certificates.crt

fail() {
  echo "release: $*" >&2
  exit 1
}
usage() {
  echo "usage: tools/release.sh [--sign CERT.pfx [--password-file FILE] [--timestamp URL] [--ca FILE]]" >&2
  exit 2
}

certificate= password_file= timestamp= trust=
while [ $# -gt 0 ]; do
  case $1 in
    --sign) [ $# -ge 2 ] || usage; certificate=$2; shift 2 ;;
    --password-file) [ $# -ge 2 ] || usage; password_file=$2; shift 2 ;;
    --timestamp) [ $# -ge 2 ] || usage; timestamp=$2; shift 2 ;;
    --ca) [ $# -ge 2 ] || usage; trust=$2; shift 2 ;;
    --password | --pass) fail "a password is never taken from the command line: use --password-file FILE or TQ_SIGN_PASSWORD" ;;
    *) usage ;;
  esac
done
if [ -z "$certificate" ] && [ -n "$password_file$timestamp$trust" ]; then
  fail "--password-file, --timestamp and --ca go with --sign CERT.pfx"
fi

changes=$(git status --porcelain --untracked-files=normal)
if [ -n "$changes" ]; then
  fail "the work tree has uncommitted changes ($(wc -l <<<"$changes") paths, first:" \
    "$(head -n 1 <<<"$changes" | cut -c4-)); commit or stash them first"
fi
commit=$(git rev-parse HEAD)

work=$(mktemp -d /tmp/tq-release.XXXXXX)  # private (0700): the password may pass through it
trap 'rm -rf "$work"' EXIT

# --- What signing needs, looked at before anything is built ----------------
if [ -n "$certificate" ]; then
  [ -f "$certificate" ] || fail "$certificate: no such file"
  if [ -n "$password_file" ]; then
    [ -r "$password_file" ] || fail "$password_file: cannot read the password file"
    password=$work/password
    # The file's text up to its first line end, as a password file holds it.
    head -n 1 "$password_file" | tr -d '\r\n' >"$password"
  elif [ -n "${TQ_SIGN_PASSWORD+set}" ]; then
    password=$work/password
    printf '%s' "$TQ_SIGN_PASSWORD" >"$password"
  else
    fail "--sign needs the certificate's password: --password-file FILE or TQ_SIGN_PASSWORD"
  fi
  chmod 600 "$password"
  [ -z "$trust" ] || [ -r "$trust" ] || fail "$trust: cannot read the CA file"
  if [ -n "$timestamp" ] && ! [[ $timestamp =~ ^https?://[^[:space:]]+$ ]]; then
    fail "$timestamp: a time-stamp server is an http:// or https:// address"
  fi

  leaf=$work/certificate.pem
  if ! openssl pkcs12 -in "$certificate" -passin "file:$password" -nokeys -clcerts \
    -out "$leaf" 2>"$work/openssl.log" &&
    ! openssl pkcs12 -legacy -in "$certificate" -passin "file:$password" -nokeys -clcerts \
      -out "$leaf" 2>>"$work/openssl.log"; then
    if grep -q "Mac verify error" "$work/openssl.log"; then
      fail "$certificate: wrong password"
    fi
    fail "$certificate: not a PKCS#12 file, or a damaged one"
  fi
  grep -q "BEGIN CERTIFICATE" "$leaf" || fail "$certificate holds no certificate for its key"
  subject=$(openssl x509 -in "$leaf" -noout -subject -nameopt oneline | sed 's/^subject= *//')
  extensions=$(openssl x509 -in "$leaf" -noout -ext extendedKeyUsage,keyUsage 2>/dev/null || true)
  if ! grep -q "Code Signing" <<<"$extensions"; then
    fail "the certificate of $certificate ($subject) is not for code signing" \
      "(its extended key usage lacks Code Signing)"
  fi
  if grep -q "Key Usage" <<<"$(grep -v Extended <<<"$extensions")" &&
    ! grep -q "Digital Signature" <<<"$extensions"; then
    fail "the certificate of $certificate ($subject) may not sign (its key usage lacks Digital Signature)"
  fi
  if ! openssl x509 -in "$leaf" -noout -checkend 0 >/dev/null; then
    fail "the certificate of $certificate ($subject) expired on" \
      "$(openssl x509 -in "$leaf" -noout -enddate | cut -d= -f2)"
  fi
  not_before=$(openssl x509 -in "$leaf" -noout -startdate | cut -d= -f2)
  if [ "$(date -d "$not_before" +%s)" -gt "$(date +%s)" ]; then
    fail "the certificate of $certificate ($subject) is not valid before $not_before"
  fi
fi

# A time-stamp server out of reach is found before the build, not after it.
# Only without a proxy: through one, only osslsigncode can tell.
if [ -n "$timestamp" ] && [ -z "${http_proxy:-}${https_proxy:-}${HTTP_PROXY:-}${HTTPS_PROXY:-}" ]; then
  authority=${timestamp#*://}
  authority=${authority%%/*}
  authority=${authority##*@}
  case $authority in
    \[*\]:*) host=${authority%]:*}; host=${host#[}; port=${authority##*]:} ;;
    \[*\]) host=${authority#[}; host=${host%]}; port= ;;
    *:*) host=${authority%:*}; port=${authority##*:} ;;
    *) host=$authority; port= ;;
  esac
  if [ -z "$port" ]; then
    port=80
    [[ $timestamp == https://* ]] && port=443
  fi
  if ! timeout 15 bash -c 'exec 3<>"/dev/tcp/$1/$2"' _ "$host" "$port" 2>/dev/null; then
    fail "the time-stamp server $timestamp could not be reached (no connection to $host port" \
      "$port); nothing was built or signed"
  fi
fi

tools/setup.sh || fail "the set-up failed (above)"

# --- The build and its checks -----------------------------------------------
echo "== building TovaneQuillon.exe at ${commit:0:12}"
build=$work/build
tools/build-launcher.sh "$build" || fail "the build failed (above)"
unsigned=$build/TovaneQuillon.exe

check() {
  local what=$1
  shift
  if ! "$@" >"$work/check.log" 2>&1; then
    cat "$work/check.log" >&2
    fail "the check of $what failed (above)"
  fi
  echo "  $what: $(tail -n 1 "$work/check.log")"
}
# What the file itself must hold; the signed file is checked again.
static_checks() {
  check "resources and imports" "$python" tests/resources/check_exe.py "$1" resources
  check "Windows XP" "$python" tests/resources/check_xp.py --cc i686-w64-mingw32-gcc-win32 \
    --nm i686-w64-mingw32-nm --windows 5.1 "$1"
  check "protections" "$python" tests/resources/check_protections.py "$1"
}
echo "== checking it"
static_checks "$unsigned"
# The budgets read the link map, which signing leaves as it is.
check "budgets" "$python" bench/check_link_map.py "$build/TovaneQuillon.map"
unsigned_sum=$(sha256sum "$unsigned" | cut -d' ' -f1)
exe=$unsigned

# --- Signing ----------------------------------------------------------------
if [ -n "$certificate" ]; then
  echo "== signing with $subject"
  signed=$work/signed.exe
  if [ -n "$timestamp" ]; then
    when=(-ts "$timestamp")
  else
    epoch=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
    when=(-time "$epoch")
  fi
  if ! osslsigncode sign -pkcs12 "$certificate" -readpass "$password" -h sha256 "${when[@]}" \
    -in "$unsigned" -out "$signed" >"$work/sign.log" 2>&1; then
    # The cause where osslsigncode (or OpenSSL under it) names one.
    said=$(grep -m 1 -oiE 'connection refused|name or service not known|timed? ?out|no route to host|HTTP failure: .*|RFC 3161 timestamping failed|invalid password|unable to .*' \
      "$work/sign.log" || grep -v '^\s*$' "$work/sign.log" | tail -n 1)
    if [ -n "$timestamp" ]; then
      fail "the time-stamp server $timestamp could not be reached or gave no time stamp" \
        "(osslsigncode: $said); nothing was signed without it"
    fi
    fail "signing failed (osslsigncode: $said)"
  fi
  rm -f "$password"
  echo "== verifying the signature"
  trusted="the system's trust store"
  [ -z "$trust" ] || trusted=$trust
  verify=(-CAfile "${trust:-$system_trust}")
  [ -z "$timestamp" ] || verify+=(-TSA-CAfile "${trust:-$system_trust}")
  if ! osslsigncode verify "${verify[@]}" -in "$signed" >"$work/verify.log" 2>&1; then
    grep -iE 'error|fail|verif' "$work/verify.log" | tail -n 3 >&2
    fail "the signed file does not verify against $trusted"
  fi
  echo "  signature: verified against $trusted"
  static_checks "$signed"
  check "what signing changed" "$python" tests/resources/check_signed.py "$unsigned" "$signed"
  exe=$signed
fi

# --- dist/ ------------------------------------------------------------------
version=$("$python" - "$exe" <<'PY'
import sys
import pefile
fixed = pefile.PE(sys.argv[1]).VS_FIXEDFILEINFO[0]
print("%d.%d.%d.%d" % (fixed.FileVersionMS >> 16, fixed.FileVersionMS & 0xFFFF,
                       fixed.FileVersionLS >> 16, fixed.FileVersionLS & 0xFFFF))
PY
)
sum=$(sha256sum "$exe" | cut -d' ' -f1)
dest=dist/TovaneQuillon-$version
if [ -e "$dest/TovaneQuillon.exe" ]; then
  if cmp -s "$exe" "$dest/TovaneQuillon.exe"; then
    echo "== $dest/TovaneQuillon.exe is there already, byte for byte this build"
    echo "sha256 $sum  $dest/TovaneQuillon.exe"
    exit 0
  fi
  # A signed release may take the place of the unsigned one it was made from.
  if ! cmp -s "$unsigned" "$dest/TovaneQuillon.exe"; then
    fail "$dest holds another TovaneQuillon.exe of version $version; give this build a new" \
      "version, or move that folder away first"
  fi
fi

# Written in a folder of its own and renamed into place: dist/ never holds
# half a release.
mkdir -p dist
stage=$(mktemp -d "dist/.TovaneQuillon-$version.XXXXXX")
cp "$exe" "$stage/TovaneQuillon.exe"
(cd "$stage" && sha256sum TovaneQuillon.exe >SHA256SUMS)
chmod 755 "$stage"
if [ -e "$dest" ]; then
  mv -T "$dest" "$stage.replaced"
fi
mv -T "$stage" "$dest"
rm -rf "$stage.replaced"
echo "== released $dest (commit ${commit:0:12}, $(stat -c %s "$dest/TovaneQuillon.exe") bytes${certificate:+, signed})"
[ -z "$certificate" ] || echo "unsigned build: sha256 $unsigned_sum"
echo "sha256 $sum  $dest/TovaneQuillon.exe"
