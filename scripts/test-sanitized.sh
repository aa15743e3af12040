#!/usr/bin/env bash
# Builds the core with AddressSanitizer and UndefinedBehaviorSanitizer into
# build-sanitize/ and runs the core tests, the golden sessions, the random
# sessions and the damaged-document corpus there (not the desktop program or
# the installation, which it does not build). Any report fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."

werror=OFF
if [ "${CI:-}" = "true" ] || [ "${VIRLO_WERROR:-}" = "ON" ]; then
  werror=ON
fi

cmake -S . -B build-sanitize -DVIRLO_SANITIZE=ON -DVIRLO_WERROR="$werror"
cmake --build build-sanitize --parallel "$(nproc)" --target virlo_core_tests virlo-cli
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir build-sanitize --output-on-failure --parallel "$(nproc)" \
  -E '^(desktop_tests|dialog_tests|install)$'
