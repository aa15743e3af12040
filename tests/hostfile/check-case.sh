#!/usr/bin/env bash
# Plays one edit on the diagram block of one host file, as
# `virlo-cli run EDIT --edit FILE:LINE` does, and holds the file to what it
# must become:
#   cases/NAME.EXT            the host file before
#   cases/NAME.line           the line of the block to edit
#   cases/NAME.VARIANT.script the edit, else edits/VARIANT.script
#   cases/NAME.VARIANT.EXT    the file after, byte for byte; none: the edit
#                             changes nothing, and the file is not written
#                             at all (same inode, same modification time)
# --dry-run must print exactly what the edit writes, and write nothing.
#   check-case.sh VIRLO_CLI TESTS_DIR NAME VARIANT WORK
set -u
cli=$1
dir=$2
name=$3
variant=$4
work=$5
cases=$dir/cases
# The host file is NAME.EXT: one dot after the name, and no case's own file.
host=
for file in "$cases/$name".*; do
  rest=${file##*/}
  rest=${rest#"$name".}
  case $rest in
    *.* | line | blocks) ;;
    *) host=$name.$rest ;;
  esac
done
ext=${host##*.}
line=$(tr -d '[:space:]' <"$cases/$name.line")
script=$cases/$name.$variant.script
[ -f "$script" ] || script=$dir/edits/$variant.script
expected=$cases/$name.$variant.$ext
rm -rf "$work"
mkdir -p "$work"
copy=$work/$host
cp "$cases/$host" "$copy"
# An old time, so that a write in the same second still shows.
touch -d '2001-02-03 04:05:06' "$copy"
before=$(stat -c '%i %Y' "$copy")
failed=0
fail() {
  echo "FAIL: $name $variant: $*"
  failed=1
}

# The dry run first: it prints the new file and leaves the old one alone.
if ! "$cli" run "$script" --edit "$copy:$line" --dry-run >"$work/dry" 2>"$work/err"; then
  fail "the dry run failed: $(cat "$work/err")"
fi
cmp -s "$copy" "$cases/$host" && [ "$(stat -c '%i %Y' "$copy")" = "$before" ] || fail "the dry run wrote the file"
want=$cases/$host
[ -f "$expected" ] && want=$expected
cmp -s "$work/dry" "$want" || fail "the dry run printed other bytes than $(basename "$want"): diff $want $work/dry"

if ! "$cli" run "$script" --edit "$copy:$line" >"$work/out" 2>"$work/err"; then
  fail "the edit failed: $(cat "$work/err")"
fi
if [ -f "$expected" ]; then
  cmp -s "$copy" "$expected" || fail "the file differs from $(basename "$expected"): diff $expected $copy"
  grep -q "wrote the diagram into lines" "$work/err" || fail "no word of the write: $(cat "$work/err")"
else
  cmp -s "$copy" "$cases/$host" || fail "a change of nothing changed the file: diff $cases/$host $copy"
  [ "$(stat -c '%i %Y' "$copy")" = "$before" ] || fail "a change of nothing wrote the file"
  grep -q "nothing written" "$work/err" || fail "no word that nothing was written: $(cat "$work/err")"
fi
exit $failed
