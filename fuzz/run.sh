#!/bin/sh
# Builds the libFuzzer targets with clang in build-fuzz and runs them.
#   fuzz/run.sh [SECONDS]   fuzz each target for SECONDS (default 60) on a
#                           working copy of its seed corpus (build-fuzz/corpus/)
#   fuzz/run.sh --replay    only run every seed input once (for CI)
# Inputs that crash are kept as fuzz/crashes/<target>-crash-<sha1>; replay one
# with: build-fuzz/bin/<target> fuzz/crashes/<file>
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
build="$root/build-fuzz"
seconds=60
replay=no
case "${1:-}" in
  --replay) replay=yes ;;
  '') ;;
  *[!0-9]*) echo "usage: fuzz/run.sh [SECONDS | --replay]" >&2; exit 2 ;;
  *) seconds=$1 ;;
esac

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DVIRLO_FUZZ=ON -DVIRLO_SANITIZE=ON \
  -DBUILD_TESTING=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" --target open_document_fuzzer script_fuzzer import_fuzzer host_file_fuzzer

# Each input becomes a file: keep them in memory when the machine allows, so the
# runs measure the program and not the disk.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then
  export TMPDIR=/dev/shm
fi
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
mkdir -p "$here/crashes"
status=0
# The seeds: the tests' own inputs (the damaged documents, the golden
# sessions, the art to import) and the few inputs kept here that no test uses.
seeds_of() {
  case "$1" in
    open) ls "$here"/corpus/open/* "$root"/tests/data/bad/*.vrl ;;
    script) ls "$here"/corpus/script/* "$root"/tests/golden/*.script ;;
    import) ls "$here"/corpus/import/* "$root"/tests/import/corpus/*.txt "$root"/examples/*.txt ;;
    hostfile) ls "$root"/tests/hostfile/cases/* "$root"/tests/hostfile/finder/* | grep -v -e '\.line$' -e '\.blocks$' -e '\.script$' ;;
  esac
}
for pair in open_document_fuzzer:open script_fuzzer:script import_fuzzer:import host_file_fuzzer:hostfile; do
  target=${pair%%:*}
  kind=${pair#*:}
  dict=""
  [ -f "$here/$kind.dict" ] && dict="-dict=$here/$kind.dict"
  if [ "$replay" = yes ]; then
    echo "== $target: replaying $(seeds_of "$kind" | wc -l) seed inputs"
    # shellcheck disable=SC2046
    "$build/bin/$target" -rss_limit_mb=2048 -timeout=60 -artifact_prefix="$here/crashes/$target-" \
      $(seeds_of "$kind") || status=1
  else
    work="$build/corpus/$kind"
    mkdir -p "$work"
    # Seeds of the same name from different folders (an example and a test's
    # art) are kept apart by their folder's name.
    for seed in $(seeds_of "$kind"); do
      cp "$seed" "$work/$(basename "$(dirname "$seed")")-$(basename "$seed")"
    done
    echo "== $target: fuzzing for $seconds s"
    # shellcheck disable=SC2086
    "$build/bin/$target" $dict -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=60 \
      -print_final_stats=1 -artifact_prefix="$here/crashes/$target-" "$work" || status=1
  fi
done
exit $status
