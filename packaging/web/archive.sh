#!/usr/bin/env bash
# archive.sh PAGE_DIR VERSION OUT: the web page's site, PAGE_DIR, as the
# release archive OUT (.tar.gz), its files in mandeldive-VERSION-web/.
# The same files give the same bytes, wherever and whenever they were
# built: names sorted, every time SOURCE_DATE_EPOCH (unset: the last
# commit's), owner and group 0, modes 644 and 755, and gzip without a name
# or time. OUT is written under a temporary name and renamed when whole.
set -eu
page=$1 version=$2 out=$3
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git -C "$(dirname "$0")" log -1 --format=%ct) ||
    { echo "archive.sh: no SOURCE_DATE_EPOCH and no git history to take it from" >&2; exit 1; }
fi
stage=$(mktemp -d "${TMPDIR:-/tmp}/mandeldive-web-archive.XXXXXX")
trap 'rm -rf "$stage" "$out.tmp"' EXIT
top=$stage/mandeldive-$version-web
mkdir "$top"
cp -R "$page/." "$top/"
find "$top" -type d -exec chmod 755 {} +
find "$top" -type f -exec chmod 644 {} +
tar --sort=name --mtime="@$SOURCE_DATE_EPOCH" --owner=0 --group=0 --numeric-owner \
  --format=gnu -C "$stage" -cf - "mandeldive-$version-web" | gzip -n -9 >"$out.tmp"
mv -f "$out.tmp" "$out"
