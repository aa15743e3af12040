#!/bin/sh
# Remakes the damaged-document corpus in tests/data/bad/ from
# tests/data/good.script.
# Usage: devtools/make-bad-corpus.sh [BUILD_DIR]     (default: build)
# Afterwards check bad/EXPECTED still matches: ctest -R bad_document
set -eu
here=$(cd "$(dirname "$0")/../tests/data" && pwd)
build=$(cd "${1:-$here/../../build}" && pwd)
cmake --build "$build" --target virlo-cli make-bad-corpus
# A fixed folder: the good document holds its own path (in its text file
# name), so the corpus comes out the same byte for byte on every run.
work=/tmp/virlo-bad-corpus
rm -rf "$work"
mkdir "$work"
trap 'rm -rf "$work"' EXIT
cp "$here/good.script" "$work/"
(cd "$work" && "$build/bin/virlo-cli" run good.script >/dev/null)
mkdir -p "$here/bad"
find "$here/bad" -type f ! -name EXPECTED -delete
"$build/bin/make-bad-corpus" "$here/bad" "$work/good.vrl"
