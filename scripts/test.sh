#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: everything is built
# once, with AddressSanitizer and UndefinedBehaviorSanitizer, into
# build-sanitize/, so every test (the core, the golden and random sessions,
# the damaged documents, the fuzz seeds, the desktop suites, the real program
# under Xvfb, the install) also proves that no memory fault or undefined
# behaviour happened; any report fails the run. Then the core and virlo-cli
# are configured where Qt and Google Benchmark are hidden (build-noqt/) and
# its lowest layer is built: the core targets link nothing of Qt (the
# configuration checks it), so they compile there as they do here.
# scripts/build.sh makes the plain build in build/ that scripts/run.sh starts.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
scripts/check-format.sh

werror=OFF
if [ "${CI:-}" = "true" ] || [ "${VIRLO_WERROR:-}" = "ON" ]; then
  werror=ON
fi
cmake -S . -B build-sanitize -DVIRLO_SANITIZE=ON -DVIRLO_WERROR="$werror" -DVIRLO_BUILD_DESKTOP=ON \
  -DVIRLO_BUILD_BENCHMARKS=ON -DCMAKE_DISABLE_FIND_PACKAGE_Qt6=OFF -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=OFF
cmake --build build-sanitize --parallel "$(nproc)"
# The desktop program and the install check set their own: see tests/app and tests/install.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir build-sanitize --output-on-failure --parallel "$(nproc)"

cmake -S . -B build-noqt -DVIRLO_WERROR="$werror" -DVIRLO_BUILD_DESKTOP=OFF -DVIRLO_BUILD_BENCHMARKS=OFF \
  -DCMAKE_DISABLE_FIND_PACKAGE_Qt6=ON -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON >/dev/null
cmake --build build-noqt --parallel "$(nproc)" --target check_layers virlo_platform
