#!/usr/bin/env bash
# virlo-cli's commands on diagram blocks: blocks, import FILE:LINE, render
# --into and run --edit. Failures to read, find or write are status 1 with a
# message, wrong usage status 2; a refused command writes nothing.
#   check-cli.sh VIRLO_CLI SCRATCH_FOLDER
set -u
cli=$1
work=$2
rm -rf "$work"
mkdir -p "$work"
cd "$work" || exit 1
failed=0
expect() {  # expect STATUS DESCRIPTION COMMAND...
  local want=$1 what=$2
  shift 2
  "$@" >"$work/out" 2>"$work/err"
  local got=$?
  if [ "$got" != "$want" ]; then
    echo "FAIL: $what: status $got, expected $want"
    cat "$work/err"
    failed=1
  fi
}
says() {  # says TEXT: standard error holds the text
  grep -qF -- "$1" "$work/err" || { echo "FAIL: the message lacks '$1': $(cat "$work/err")"; failed=1; }
}
unchanged() {  # unchanged FILE COPY: the file is as its copy
  cmp -s "$1" "$2" || { echo "FAIL: $1 changed"; failed=1; }
}

printf '# Notes\n\nProse.\n\n```\n+--+\n|  |\n+--+\n```\n\nMore prose.\n\n```\n+----+\n| ab |\n+----+\n```\n' >notes.md
cp notes.md notes.orig
expect 0 "blocks" "$cli" blocks notes.md
grep -q '^5-9 fence "" ascii: 3 rows: 1 box$' out || { echo "FAIL: blocks: $(cat out)"; failed=1; }
expect 0 "blocks --import" "$cli" blocks notes.md --import
grep -q '^13-17 fence "" ascii: imports as 1 framed text$' out || { echo "FAIL: blocks --import: $(cat out)"; failed=1; }
expect 1 "blocks of a missing file" "$cli" blocks missing.md
says "cannot read 'missing.md'"
printf 'a\0b\n' >binary.md
expect 1 "blocks of a binary file" "$cli" blocks binary.md
says "NUL bytes"
expect 2 "blocks without a file" "$cli" blocks
expect 2 "blocks with an unknown option" "$cli" blocks notes.md --deep

# import FILE:LINE
expect 0 "import of a block" "$cli" import notes.md:7 --output small.vrl
says "lines 5-9 of 'notes.md': fence block, prefix \"\", ascii"
printf '+--+\n|  |\n+--+\n' >small.txt
expect 0 "the imported block renders its art" sh -c "'$cli' render small.vrl --trim | cmp -s - small.txt"
expect 1 "import of a line in no block" "$cli" import notes.md:11 --output none.vrl
says "line 11 is in no diagram block; the nearest: lines 5-9 above and lines 13-17 below"
[ -e none.vrl ] && { echo "FAIL: a refused import wrote its output"; failed=1; }
expect 1 "import of a line past the end" "$cli" import notes.md:99 --output none.vrl
says "'notes.md' has 17 lines; line 99 is past its end"
expect 2 "import of a block with --comment" "$cli" import notes.md:7 --output none.vrl --comment "# "
expect 2 "import of a block without an output" "$cli" import notes.md:7
# A real file named like a block is read as art.
printf '+--+\n|  |\n+--+\n' >'art.txt:2'
expect 0 "import of a file named FILE:LINE" "$cli" import 'art.txt:2' --output named.vrl
expect 0 "it is the file's art" sh -c "'$cli' render named.vrl --trim | cmp -s - small.txt"

# render --into
printf 'tool box\ndrag 4 8 44 40\nsave "wide.vrl"\n' >wide.script
expect 0 "a document to render" "$cli" run wide.script
expect 0 "render --into --dry-run" "$cli" render wide.vrl --into notes.md:14 --dry-run
unchanged notes.md notes.orig
grep -q '^+----+$' out && grep -q '^|    |$' out || { echo "FAIL: the dry run printed $(cat out)"; failed=1; }
expect 0 "render --into" "$cli" render wide.vrl --into notes.md:14
says "wrote the diagram into lines 13-17 of 'notes.md'"
expect 0 "render --into again" "$cli" render wide.vrl --into notes.md:14
says "nothing written"
head -n 12 notes.orig >head.orig
head -n 12 notes.md >head.now
unchanged head.now head.orig
expect 2 "render --into with --trim" "$cli" render wide.vrl --into notes.md:14 --trim
expect 2 "render --into with a bad style" "$cli" render wide.vrl --into notes.md:14 --style round
expect 1 "render --into a line in no block" "$cli" render wide.vrl --into notes.md:3
cp notes.md notes.before
expect 1 "render --into of a missing document" "$cli" render missing.vrl --into notes.md:14
unchanged notes.md notes.before

# run --edit
printf 'open "missing.vrl"\n' >fails.script
expect 1 "run --edit of a failing script" "$cli" run fails.script --edit notes.md:6
unchanged notes.md notes.before
printf 'show\n' >show.script
expect 2 "run --edit with --open" "$cli" run show.script --edit notes.md:6 --open wide.vrl
expect 2 "run --dry-run without --edit" "$cli" run show.script --dry-run
expect 2 "run --edit of no line" "$cli" run show.script --edit notes.md
exit $failed
