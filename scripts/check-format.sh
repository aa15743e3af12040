#!/usr/bin/env bash
# Fails when a C++ file of the repository differs from what clang-format
# makes of it (.clang-format). Fix with: scripts/check-format.sh --fix
set -euo pipefail
cd "$(dirname "$0")/.."

mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = "--fix" ]; then
  clang-format -i "${files[@]}"
  exit 0
fi
clang-format --dry-run --Werror "${files[@]}"
