#!/usr/bin/env bash
# format_check.sh SOURCE_DIR: every C++ file of the project is clang-format
# clean with the checked-in .clang-format.
set -u
cd "$1" || exit 1
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  mapfile -t files < <(git ls-files '*.cpp' '*.h')
else
  mapfile -t files < <(find . -path ./build -prune -o \( -name '*.cpp' -o -name '*.h' \) -print)
fi
bad=0
for f in "${files[@]}"; do
  if ! clang-format-14 --dry-run -Werror "$f" >/dev/null 2>&1; then
    echo "not clang-format clean: $f (clang-format-14 -i $f)"
    bad=$((bad + 1))
  fi
done
echo "${#files[@]} files, $bad not formatted"
[ "$bad" -eq 0 ]
