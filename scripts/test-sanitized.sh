#!/usr/bin/env bash
# Builds everything but the benchmarks with AddressSanitizer and
# UndefinedBehaviorSanitizer into build-sanitize/ and runs every test there:
# the core tests, the golden sessions, the random sessions, the examples, the
# damaged-document corpus and the desktop suites on the offscreen platform.
# Any report fails the run. Then it configures the core and virlo-cli where Qt
# and Google Benchmark are hidden, into build-noqt/, and builds its lowest
# layer: the core targets link nothing of Qt (the configuration checks it), so
# they compile there as they do here.
set -euo pipefail
cd "$(dirname "$0")/.."

werror=OFF
if [ "${CI:-}" = "true" ] || [ "${VIRLO_WERROR:-}" = "ON" ]; then
  werror=ON
fi

cmake -S . -B build-sanitize -DVIRLO_SANITIZE=ON -DVIRLO_WERROR="$werror" -DVIRLO_BUILD_DESKTOP=ON \
  -DVIRLO_BUILD_BENCHMARKS=OFF -DCMAKE_DISABLE_FIND_PACKAGE_Qt6=OFF -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON
cmake --build build-sanitize --parallel "$(nproc)"
# The desktop suites set their own: see tests/app/CMakeLists.txt.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir build-sanitize --output-on-failure --parallel "$(nproc)"

cmake -S . -B build-noqt -DVIRLO_WERROR="$werror" -DVIRLO_BUILD_DESKTOP=OFF -DVIRLO_BUILD_BENCHMARKS=OFF \
  -DCMAKE_DISABLE_FIND_PACKAGE_Qt6=ON -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON >/dev/null
cmake --build build-noqt --parallel "$(nproc)" --target check_layers virlo_platform
