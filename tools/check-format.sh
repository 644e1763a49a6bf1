#!/usr/bin/env bash
# Lists the C++ files that drift from .clang-format and fails when there is one.
# `clang-format -i <file>` brings a file back in line.
set -euo pipefail
cd "$(dirname "$0")/.."

drifting=()
while IFS= read -r file; do
  if ! clang-format --dry-run --Werror "$file" > /dev/null 2>&1; then
    drifting+=("$file")
  fi
done < <(git ls-files '*.cpp' '*.h')

if [ ${#drifting[@]} -ne 0 ]; then
  echo "Not formatted as .clang-format says (${#drifting[@]} files):"
  printf '  %s\n' "${drifting[@]}"
  exit 1
fi
