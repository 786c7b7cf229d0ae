#!/usr/bin/env bash
# Fails when a C or C++ file of the tree differs from .clang-format, as
# Debian 12's clang-format 14 reads it (other versions format differently).
set -euo pipefail
cd "$(dirname "$0")/.."
format=${CLANG_FORMAT:-clang-format-14}
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    mapfile -t files < <(git ls-files '*.c' '*.cpp' '*.h')
else
    mapfile -t files < <(find . -path ./build -prune -o -type f \( -name '*.c' -o -name '*.cpp' -o -name '*.h' \) -print)
fi
"$format" --dry-run -Werror "${files[@]}"
echo "${#files[@]} files formatted as .clang-format says"
