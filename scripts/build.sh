#!/usr/bin/env bash
# Configures and builds everything into build/. Warnings are errors under CI.
set -euo pipefail
cd "$(dirname "$0")/.."

werror=OFF
if [ "${CI:-}" = "true" ] || [ "${VIRLO_WERROR:-}" = "ON" ]; then
  werror=ON
fi

cmake -S . -B build -DVIRLO_WERROR="$werror"
cmake --build build --parallel "$(nproc)"
