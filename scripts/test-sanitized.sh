#!/usr/bin/env bash
# Builds the core and virlo-cli with AddressSanitizer and
# UndefinedBehaviorSanitizer into build-sanitize/, in the configuration without
# Qt and Google Benchmark (so CI also proves that the core, virlo-cli and their
# tests build where neither is installed), and runs every test there: the core
# tests, the golden sessions, the random sessions, the examples and the
# damaged-document corpus. Any report fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."

werror=OFF
if [ "${CI:-}" = "true" ] || [ "${VIRLO_WERROR:-}" = "ON" ]; then
  werror=ON
fi

cmake -S . -B build-sanitize -DVIRLO_SANITIZE=ON -DVIRLO_WERROR="$werror" \
  -DVIRLO_BUILD_DESKTOP=OFF -DVIRLO_BUILD_BENCHMARKS=OFF -DCMAKE_DISABLE_FIND_PACKAGE_Qt6=ON \
  -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON
cmake --build build-sanitize --parallel "$(nproc)"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir build-sanitize --output-on-failure --parallel "$(nproc)"
