#!/usr/bin/env bash
# virlo-cli reports every failure to read or write with status 1, and refuses
# scripts it must not read with status 2; disabled commands stay notes. It
# never writes over what it reads, never waits for a pipe nobody reads, and
# a reader that goes away is a failed write, not a signal.
#   check-failures.sh VIRLO_CLI SCRATCH_FOLDER
set -u
cli=$1
work=$2
corpus=$(cd "$(dirname "$0")/../data/bad" && pwd)
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

printf 'tool box\ndrag 20 24 60 56\nsave "doc.vrl"\n' >make.script
expect 0 "a script that saves" "$cli" run make.script
expect 1 "render into a full disk" sh -c "'$cli' render doc.vrl >/dev/full"
expect 1 "dump into a full disk" sh -c "'$cli' dump doc.vrl >/dev/full"
printf 'tool box\ndrag 20 24 60 56\nshow\n' >show.script
expect 1 "show into a full disk" sh -c "'$cli' run show.script >/dev/full"
printf 'save "missing/doc.vrl"\nshow\n' >save.script
expect 1 "a save that fails" "$cli" run save.script
[ -s "$work/out" ] && { echo "FAIL: the script went on after a failed save"; failed=1; }
printf 'open "nothing.vrl"\n' >open.script
expect 1 "an open that fails" "$cli" run open.script
printf 'answer print 20 20 "missing/art.txt"\ntextprint\n' >print.script
expect 1 "a text print that fails" "$cli" run print.script
printf 'delete\nundo\nshow\n' >notes.script
expect 0 "disabled commands are notes" "$cli" run notes.script
expect 2 "a folder as the script" "$cli" run "$work"
expect 2 "a device as the script" "$cli" run /dev/zero
# A malformed script is refused before anything runs, with the line that is wrong.
while IFS='|' read -r line source; do
  printf '%b' "$source" >bad.script
  expect 2 "a script wrong on line $line: $source" "$cli" run bad.script
  grep -q "bad.script: line $line: " "$work/err" || { echo "FAIL: $source: the line is not named"; failed=1; }
done <<'END'
1|press 1\n
1|move 1 2 alt\n
2|\nanswer text "a\\tb"\n
1|answer marker 16\n
1|save "a\\nb.vrl"\n
1|answer print 20 20 "a\\nb.txt"\n
3|show\n# a C1 control (CSI), which terminals obey\nanswer text "a\xc2\x9bb"\n
3|show\n# a byte that is no UTF-8\nanswer text "a\xffb"\n
END
expect 0 "render to standard output by name" sh -c "'$cli' render doc.vrl --output - | grep -q '+----+'"
expect 0 "render to /dev/stdout" sh -c "'$cli' render doc.vrl --output /dev/stdout | grep -q '+----+'"
# import: unreadable or oversized art is a failure to read, bad options are usage.
printf '+--+\n|ab|\n+--+\n' >art.txt
expect 0 "import from standard input" sh -c "'$cli' import - --output piped.vrl <art.txt"
expect 0 "an imported document renders its art" sh -c "'$cli' render piped.vrl --trim | cmp -s - art.txt"
expect 2 "import without an output" "$cli" import art.txt
expect 2 "import with a tab of 0" "$cli" import art.txt --output a.vrl --tab 0
expect 2 "import in an unknown encoding" "$cli" import art.txt --output a.vrl --encoding latin1
# Code page 932 art is read as the editor reads it, unless UTF-8 is asked for.
printf '+----+\n|\x93\xfa\x96\x7b|\n+----+\n' >sjis.txt
expect 0 "import of code page 932 art" "$cli" import sjis.txt --output sjis.vrl
expect 0 "the code page 932 art comes back" sh -c "'$cli' render sjis.vrl --trim --encoding cp932 | cmp -s - sjis.txt"
expect 1 "import of code page 932 art as UTF-8" "$cli" import sjis.txt --output utf8.vrl --encoding utf-8
# Two bytes of code page 932 that a text box shows in one cell (an arrow, a
# circle, a Greek letter, a user-defined character) keep the art's columns.
printf '+----+  \x81\xa8 \x81\x9b\n|\x83\xbf  |--\xf3\x95t\n+----+\n' >narrow.txt
expect 0 "import of code page 932 art with one-cell characters" "$cli" import narrow.txt --output narrow.vrl
printf '|\316\261   |--\356\212\210 t\n' >narrow-row.txt
expect 0 "its columns stay" sh -c "'$cli' render narrow.vrl --trim | sed -n 2p | cmp -s - narrow-row.txt"
expect 1 "import of a missing file" "$cli" import missing.txt --output a.vrl
expect 1 "import of a folder" "$cli" import "$work" --output a.vrl
head -c 257 /dev/zero | tr '\0' '-' >wide.txt
expect 1 "import of art wider than a sheet" "$cli" import wide.txt --output a.vrl
grep -q "257 columns" "$work/err" || { echo "FAIL: the refusal does not say how wide the art is"; failed=1; }
[ -e a.vrl ] && { echo "FAIL: a refused import wrote its output"; failed=1; }
# SVG: the options that shape text are refused, the picture is written like the art.
for options in "--trim" "--style ascii" "--style unicode" "--comment #" "--encoding cp932" "--format png"; do
  # shellcheck disable=SC2086
  expect 2 "render --format svg $options" "$cli" render doc.vrl --format svg $options
  [ -s "$work/out" ] && { echo "FAIL: render --format svg $options wrote output"; failed=1; }
done
expect 0 "svg with its own options" "$cli" render doc.vrl --format svg --crop --encoding utf-8 --output pic.svg
grep -q '</svg>' pic.svg || { echo "FAIL: no SVG written to pic.svg"; failed=1; }
grep -q $'\r' pic.svg && { echo "FAIL: CR LF line ends in an SVG file"; failed=1; }
expect 1 "svg into a full disk" sh -c "'$cli' render doc.vrl --format svg >/dev/full"
expect 1 "svg into a missing folder" "$cli" render doc.vrl --format svg --output missing/pic.svg
expect 1 "svg of a missing document" "$cli" render nothing.vrl --format svg
expect 0 "svg to standard output by name" sh -c "'$cli' render doc.vrl --format svg --output - | grep -q '<svg '"
expect 1 "cropped art into a full disk" sh -c "'$cli' render doc.vrl --crop >/dev/full"
# Help and version are writes like any other.
expect 1 "help into a full disk" sh -c "'$cli' --help >/dev/full"
expect 1 "version into a full disk" sh -c "'$cli' --version >/dev/full"
expect 2 "render to an output without a name" "$cli" render doc.vrl --output ""
expect 2 "import to an output without a name" "$cli" import art.txt --output ""
grep -q "no name" "$work/err" || { echo "FAIL: an output without a name is not told"; failed=1; }
# The output is never the input, under any of its names.
cp doc.vrl doc.copy
ln -s doc.vrl alias.vrl
expect 1 "render over its own document" "$cli" render doc.vrl --output doc.vrl
expect 1 "render over its own document through a link" "$cli" render doc.vrl --output alias.vrl --format svg
expect 1 "render appended to its own document" sh -c "'$cli' render doc.vrl >>doc.vrl"
cmp -s doc.vrl doc.copy || { echo "FAIL: rendering changed the document"; failed=1; }
ln doc.vrl linked.txt
printf 'answer print 20 20 "linked.txt"\ntextprint\n' >print-over.script
expect 0 "a text print refused over another name of its document" "$cli" run print-over.script --open doc.vrl
cmp -s doc.vrl doc.copy || { echo "FAIL: a text print wrote over its document"; failed=1; }
cp art.txt art.copy
expect 1 "import over its own art" "$cli" import art.txt --output art.txt
expect 1 "import over its own art from standard input" sh -c "'$cli' import - --output art.txt <art.txt"
cmp -s art.txt art.copy || { echo "FAIL: importing changed the art"; failed=1; }
# Pipes: a reader that goes away, one that never comes, descriptors' names.
printf 'answer print 256 256 "big.txt"\ntextprint\nsave "big.vrl"\n' >big.script
expect 0 "a sheet larger than a pipe holds" "$cli" run big.script
expect 1 "render into a pipe whose reader left" bash -c "'$cli' render big.vrl | true; exit \${PIPESTATUS[0]}"
grep -q "cannot write" "$work/err" || { echo "FAIL: a closed pipe is not told"; failed=1; }
mkfifo unread
expect 1 "render into a pipe nobody reads" timeout 10 "$cli" render doc.vrl --output unread
grep -q "nobody reads" "$work/err" || { echo "FAIL: a pipe nobody reads is not told"; failed=1; }
expect 1 "render into a full device" "$cli" render doc.vrl --output /dev/full
expect 0 "render into a descriptor's file" bash -c "{ '$cli' render doc.vrl --output /dev/fd/3 && echo tail >&3; } 3>fd.txt"
{ grep -q '+----+' fd.txt && [ "$(tail -n 1 fd.txt)" = tail ]; } ||
  { echo "FAIL: /dev/fd/3 was not written where its descriptor stands"; failed=1; }
expect 0 "render into standard error by name" bash -c "'$cli' render doc.vrl --output /dev/stderr 2>stderr.txt"
grep -q '+----+' stderr.txt || { echo "FAIL: /dev/stderr holds no art"; failed=1; }
# Characters that come back as others are counted with the other substitutions.
printf '\xc2\xa5 \xe2\x80\xbe\n' >yen.txt
expect 0 "import of a yen sign and an overline" "$cli" import yen.txt --output yen.vrl
grep -q "2 characters a document cannot hold became others like them" "$work/err" ||
  { echo "FAIL: the yen sign and the overline are not counted"; failed=1; }
# A file name from outside is printed with its control characters escaped:
# nothing in a message may retitle, clear or ring the terminal.
expect 1 "a file name with control characters" "$cli" render "$(printf 'a\033]0;x\007b.vrl')"
if grep -q "$(printf '\033')" "$work/err" || ! grep -qF "'a\\e]0;x\\x07b.vrl'" "$work/err"; then
  echo "FAIL: a control character reached the terminal: $(cat -v "$work/err")"
  failed=1
fi
# A damaged document is told in one line naming its first problem; --details
# lists every problem under it, one a line.
cp "$corpus/flipped_4104.vrl" damaged.vrl
printf 'show\n' >damaged.script
for command in "render damaged.vrl" "dump damaged.vrl" "run damaged.script --open damaged.vrl"; do
  # shellcheck disable=SC2086
  expect 1 "$command" "$cli" $command
  if [ "$(wc -l <"$work/err")" != 1 ] || ! grep -q 'On tree page 2 cell 0: .* (and 3 more problems)$' "$work/err"; then
    echo "FAIL: $command: not one line naming the first problem: $(cat "$work/err")"
    failed=1
  fi
  # shellcheck disable=SC2086
  expect 1 "$command --details" "$cli" $command --details
  if [ "$(wc -l <"$work/err")" != 5 ] || [ "$(grep -c '^  ' "$work/err")" != 4 ] ||
    [ "$(sed -n 2p "$work/err")" != "  On tree page 2 cell 0: Offset 61579 out of range 637..4092" ]; then
    echo "FAIL: $command --details: not the message and the four problems: $(cat "$work/err")"
    failed=1
  fi
done
expect 2 "dump with an unknown option" "$cli" dump damaged.vrl --detail
exit $failed
