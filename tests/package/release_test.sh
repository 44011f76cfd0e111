#!/usr/bin/env bash
# release_test.sh SOURCE RENDER: a release as a rebuilder and a signer make
# it. SOURCE is a clone whose dist/ scripts/package has filled.
#  - Reproducible: a fresh clone of the same commit at another path, with
#    another umask, time zone, locale and source file times, builds every
#    file SHA256SUMS lists to the same bytes (diffoscope shows any
#    difference).
#  - Signed, with a throwaway certificate (code signing) and GPG key: both
#    .scr, the installer and its uninstaller verify against the certificate
#    and fail with one byte changed; two signed builds are identical; the
#    signed installer passes the installer test under Wine; gpgv checks
#    SHA256SUMS.asc and sha256sum -c passes; a rebuild without the key that
#    attaches the published signatures gives the signed files. A missing file, a wrong key or
#    a failing signer is one line and exit 1, and dist/ is left as it was.
set -u
SOURCE=$(cd "$1" && pwd) RENDER=$2
here=$(cd "$(dirname "$0")" && pwd)
t=$(mktemp -d "${TMPDIR:-/tmp}/mandeldive-release.XXXXXX")
trap 'rm -rf "$t"' EXIT
export CHECK_TMP=$t
# shellcheck source=tests/check_lib.sh
. "$here/../check_lib.sh"
[ -f "$SOURCE/dist/SHA256SUMS" ] || { echo "no $SOURCE/dist/SHA256SUMS: run scripts/package first"; exit 1; }
if [ -n "$(git -C "$SOURCE" status --porcelain --untracked-files=no)" ]; then
  echo "skipped: $SOURCE has uncommitted changes, which a clone would not build"
  exit 77
fi

# The other clone: other path, file times, umask, time zone and locale.
clone=$t/elsewhere/mandeldive
(umask 077 && git clone -q --no-hardlinks "$SOURCE" "$clone")
find "$clone" -path "$clone/.git" -prune -o -exec touch -h -d '2001-02-03 04:05:06' {} +
if [ -d "$SOURCE/tests/web/node_modules" ]; then  # the web tests' npm packages, as they are
  cp -a "$SOURCE/tests/web/node_modules" "$clone/tests/web/"
fi
package() {  # package LOG [VARIABLE=VALUE...]: scripts/package in the clone
  local log=$1
  shift
  (umask 077 && cd "$clone" && env TZ=Pacific/Kiritimati LC_ALL=POSIX LANG=POSIX \
    "$@" bash scripts/package) >"$t/$log" 2>&1
}
started=$(date +%s)
package unsigned.log
check "scripts/package builds in the other clone (exit $?)" test $? -eq 0
grep -q '^dist/SHA256SUMS$' "$t/unsigned.log" || tail -n 20 "$t/unsigned.log"
echo "the second build took $(($(date +%s) - started)) s"
mapfile -t artifacts < <(awk '{print $2}' "$SOURCE/dist/SHA256SUMS")
for f in "${artifacts[@]}" SHA256SUMS; do
  check "$f is the same, byte for byte" cmp -s "$SOURCE/dist/$f" "$clone/dist/$f"
  cmp -s "$SOURCE/dist/$f" "$clone/dist/$f" ||
    diffoscope --text - "$SOURCE/dist/$f" "$clone/dist/$f" 2>&1 | head -n 200
done
unsigned_sums=$(cat "$clone/dist/SHA256SUMS")

# Throwaway keys.
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=mandeldive test signer" \
  -addext extendedKeyUsage=codeSigning -addext keyUsage=digitalSignature \
  -keyout "$t/key.pem" -out "$t/cert.pem" 2>/dev/null
openssl genpkey -algorithm RSA -pkeyopt rsa_keygen_bits:2048 -out "$t/other-key.pem" 2>/dev/null
export GNUPGHOME=$t/gnupg
mkdir -m 700 "$GNUPGHOME"
gpg --batch --passphrase '' --quick-gen-key 'mandeldive test <test@example.org>' ed25519 sign never 2>/dev/null
gpg --batch --export >"$t/public.gpg"
keys=(MANDELDIVE_SIGN_CERT="$t/cert.pem" MANDELDIVE_SIGN_KEY="$t/key.pem"
      MANDELDIVE_GPG_KEY=test@example.org)

# Faults: one line, exit 1, dist/ as it was.
mkdir "$t/bin"
printf '#!/bin/sh\necho "signer broke" >&2\nexit 3\n' >"$t/bin/osslsigncode"
chmod +x "$t/bin/osslsigncode"
while read -r name variables; do
  eval "vars=($variables)"
  package fault.log "${vars[@]}"
  code=$?
  check "$name: exit 1 (got $code)" test "$code" -eq 1
  check "$name: one line says so ($(tail -n 1 "$t/fault.log"))" \
    bash -c "[ \$(wc -l <'$t/fault.log') -eq 1 ] && grep -q '^package: ' '$t/fault.log'"
  check "$name: dist/ is as it was" test "$(cat "$clone/dist/SHA256SUMS")" = "$unsigned_sums" -a ! -e "$clone/dist/SHA256SUMS.asc"
done <<CASES
missing-certificate MANDELDIVE_SIGN_CERT=$t/none.pem MANDELDIVE_SIGN_KEY=$t/key.pem
wrong-key MANDELDIVE_SIGN_CERT=$t/cert.pem MANDELDIVE_SIGN_KEY=$t/other-key.pem
unknown-gpg-key MANDELDIVE_GPG_KEY=nobody@example.org
failing-signer PATH=$t/bin:$PATH MANDELDIVE_SIGN_CERT=$t/cert.pem MANDELDIVE_SIGN_KEY=$t/key.pem
CASES

for run in 1 2; do
  package "signed$run.log" "${keys[@]}"
  check "signed build $run (exit $?)" test $? -eq 0
  grep -q '^dist/SHA256SUMS.asc$' "$t/signed$run.log" || tail -n 20 "$t/signed$run.log"
  [ "$run" = 1 ] && cp -R "$clone/dist" "$t/signed1"
done
check "two signed builds are identical" bash -c "cd '$clone/dist' && sha256sum -c --quiet '$t/signed1/SHA256SUMS'"
check "sha256sum -c SHA256SUMS passes in dist/" bash -c "cd '$clone/dist' && sha256sum -c --quiet SHA256SUMS"
check "gpgv verifies SHA256SUMS.asc, and it holds SHA256SUMS" bash -c \
  "gpgv --keyring '$t/public.gpg' --output - '$clone/dist/SHA256SUMS.asc' 2>/dev/null | cmp -s - '$clone/dist/SHA256SUMS'"
# A rebuild given the published signatures and no key is the signed release.
package attached.log MANDELDIVE_SIGNATURES="$t/signed1"
check "a rebuild that attaches the published signatures is the signed release" \
  cmp -s "$clone/dist/SHA256SUMS" "$t/signed1/SHA256SUMS"
check "and its files are those SHA256SUMS lists" bash -c "cd '$clone/dist' && sha256sum -c --quiet SHA256SUMS"
check "the .deb files are the unsigned ones" test "$(grep 'deb$' "$clone/dist/SHA256SUMS")" = "$(grep 'deb$' <<<"$unsigned_sums")"

version=$(cat "$clone/build/release/version.txt")
setup=$clone/dist/mandeldive-$version-setup.exe
unzip -q "$clone/dist/mandeldive-$version-windows.zip" -d "$t/zip"
signed() { osslsigncode verify -CAfile "$t/cert.pem" -in "$1" >"$t/verify.log" 2>&1; }
not_signed() { ! signed "$1"; }
for f in "$setup" "$t/zip/x64/mandeldive.scr" "$t/zip/x86/mandeldive.scr"; do
  name=${f#"$t/"}
  check "${name#"$clone/"} is signed" signed "$f"
  cp "$f" "$t/changed.exe"
  printf 'X' | dd of="$t/changed.exe" bs=1 seek=4096 conv=notrunc 2>/dev/null
  check "${name#"$clone/"} with one byte changed fails" not_signed "$t/changed.exe"
done
"$here/installer_test.sh" "$setup" "$RENDER" "$version" 64 "$t/cert.pem"
check "the signed installer passes the installer test (64-bit)" test $? -eq 0
checks_summary
