#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
scripts/check-format.sh
scripts/build.sh
ctest --test-dir build --output-on-failure --parallel "$(nproc)"
# The same tests again under the sanitizers, the fuzz targets' seeds among them.
scripts/test-sanitized.sh
