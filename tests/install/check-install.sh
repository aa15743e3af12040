#!/usr/bin/env bash
# Installs a built tree into a scratch prefix and checks what lands there:
# the programs, the desktop entry, the MIME type, the icons and the manual
# pages. Every problem is reported; the status is 1 if there was any, and 77
# (skipped) when the tree has not built what installing needs.
#   check-install.sh BUILD_DIR WORK_DIR VERSION MIME_TYPE VIRLO VIRLO_CLI PROBE SOURCE_DIR [CONFIG]
set -uo pipefail

if [ $# -lt 8 ]; then
  echo "usage: $0 BUILD_DIR WORK_DIR VERSION MIME_TYPE VIRLO VIRLO_CLI PROBE SOURCE_DIR [CONFIG]" >&2
  exit 2
fi
build=$1 work=$2 version=$3 mime_type=$4 built_virlo=$5 built_cli=$6 probe=$7 source=$8 config=${9:-}
mime_icon=${mime_type//\//-}

# A tree built for the sanitizers or the fuzzers builds a few targets only.
missing=()
for file in "$built_virlo" "$built_cli" "$probe"; do
  [ -x "$file" ] || missing+=("$file")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "SKIPPED: not built in this tree: ${missing[*]} (build all targets first)"
  exit 77
fi

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
pass() { echo "ok: $*"; }

prefix=$work/prefix
scratch=$work/scratch
rm -rf "$work"
mkdir -p "$scratch/home" "$scratch/config" "$scratch/data" || exit 1
# Nothing below may read or write the user's own settings or MIME data.
export HOME=$scratch/home XDG_CONFIG_HOME=$scratch/config XDG_DATA_HOME=$scratch/data
export LC_ALL=C.UTF-8 LANGUAGE=

# The cmake that configured the tree (CMAKE), and no DESTDIR to send the files elsewhere.
unset DESTDIR
install_args=(--install "$build" --prefix "$prefix")
[ -n "$config" ] && install_args+=(--config "$config")
if ! "${CMAKE:-cmake}" "${install_args[@]}" >"$work/install.log" 2>&1; then
  cat "$work/install.log"
  fail "cmake --install failed"
  echo "$failures problem(s)"
  exit 1
fi
pass "cmake --install into $prefix"

# Exactly these files, nothing more (no tests, benchmarks, tools or libraries).
expected=(
  bin/virlo
  bin/virlo-cli
  share/applications/virlo.desktop
  share/doc/virlo/copyright
  share/icons/hicolor/256x256/apps/virlo.png
  "share/icons/hicolor/256x256/mimetypes/$mime_icon.png"
  share/icons/hicolor/48x48/apps/virlo.png
  "share/icons/hicolor/48x48/mimetypes/$mime_icon.png"
  share/icons/hicolor/scalable/apps/virlo.svg
  "share/icons/hicolor/scalable/mimetypes/$mime_icon.svg"
  share/man/man1/virlo-cli.1.gz
  share/man/man1/virlo.1.gz
  share/mime/packages/virlo-mime.xml
)
actual=$(cd "$prefix" && find . \( -type f -o -type l \) | sed 's|^\./||' | LC_ALL=C sort)
wanted=$(printf '%s\n' "${expected[@]}" | LC_ALL=C sort)
if [ "$actual" = "$wanted" ]; then
  pass "the installed files are exactly the expected ${#expected[@]}"
else
  fail "installed files differ from the expected ones (- expected, + installed):"
  diff <(echo "$wanted") <(echo "$actual") | grep '^[<>]' | sed 's/^</  -/; s/^>/  +/'
fi

# --- The programs ---
for program in virlo virlo-cli; do
  path=$prefix/bin/$program
  if [ ! -f "$path" ] || [ ! -x "$path" ]; then
    fail "$program is not an executable file in bin"
    continue
  fi
  # No display and no platform: a program that tried to open a window here
  # would abort instead of answering.
  out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout 30 "$path" --version 2>"$work/err")
  status=$?
  if [ $status -eq 0 ] && [ "$out" = "$program $version" ] && [ ! -s "$work/err" ]; then
    pass "$program --version says '$out'"
  else
    fail "$program --version: status $status, said '$out' (wanted '$program $version'), stderr: $(cat "$work/err")"
  fi
  out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout 30 "$path" --help 2>"$work/err")
  status=$?
  if [ $status -eq 0 ] && [[ "$out" == "Usage: $program "* ]] && [ ! -s "$work/err" ]; then
    pass "$program --help prints its usage on standard output"
  else
    fail "$program --help: status $status, stdout starts '${out:0:40}', stderr: $(cat "$work/err")"
  fi
  out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout 30 "$path" --no-such-option 2>"$work/err")
  status=$?
  if [ $status -eq 2 ] && [ -z "$out" ] && grep -q -- "--no-such-option" "$work/err"; then
    pass "$program refuses an unknown option with status 2 and a message on standard error"
  else
    fail "$program --no-such-option: status $status (wanted 2), stdout '${out:0:40}', stderr: $(cat "$work/err")"
  fi
done

# --- The desktop entry ---
desktop=$prefix/share/applications/virlo.desktop
if [ ! -f "$desktop" ]; then
  fail "no desktop entry"
else
  if command -v desktop-file-validate >/dev/null 2>&1; then
    if report=$(desktop-file-validate "$desktop" 2>&1) && [ -z "$report" ]; then
      pass "desktop-file-validate finds nothing to say"
    else
      fail "desktop-file-validate: $report"
    fi
  else
    echo "SKIPPED one check: desktop-file-validate is missing (package desktop-file-utils; scripts/setup.sh installs it)"
  fi
  key() { sed -n "s/^$1=//p" "$desktop"; }
  [ "$(key Exec)" = "virlo %f" ] && pass "Exec=virlo %f" || fail "Exec is '$(key Exec)', not 'virlo %f'"
  [ -x "$prefix/bin/$(key Exec | cut -d' ' -f1)" ] || fail "the program of Exec= is not installed"
  icon=$(key Icon)
  [ -f "$prefix/share/icons/hicolor/scalable/apps/$icon.svg" ] && pass "Icon=$icon is installed" ||
    fail "Icon=$icon has no icon in hicolor/scalable/apps"
  case ";$(key MimeType)" in
    *";$mime_type;"*) pass "MimeType lists $mime_type" ;;
    *) fail "MimeType is '$(key MimeType)', without $mime_type" ;;
  esac
  [ "$(key Terminal)" = "false" ] || fail "Terminal is not false"
fi

# --- The MIME type ---
mime_xml=$prefix/share/mime/packages/virlo-mime.xml
if [ ! -f "$mime_xml" ]; then
  fail "no MIME package in share/mime/packages"
else
  if "$probe" xml "$mime_xml"; then pass "the MIME package is well-formed XML"; else fail "the MIME package is not well-formed XML"; fi
  grep -q "<mime-type type=\"$mime_type\">" "$mime_xml" || fail "the MIME package does not define $mime_type"
  if command -v update-mime-database >/dev/null 2>&1; then
    if update-mime-database "$prefix/share/mime" >"$work/mime.log" 2>&1; then
      pass "update-mime-database accepts the package"
    else
      fail "update-mime-database: $(cat "$work/mime.log")"
    fi
    globs=$prefix/share/mime/globs2
    if grep -qx "[0-9]*:$mime_type:\*\.vrl" "$globs" 2>/dev/null; then
      pass "globs2 maps *.vrl to $mime_type"
    else
      fail "globs2 has no '*.vrl' for $mime_type"
    fi
    grep -q "^$mime_type application/vnd.sqlite3$" "$prefix/share/mime/subclasses" 2>/dev/null ||
      fail "subclasses does not make $mime_type a kind of application/vnd.sqlite3"
    # The rule, right under the type's header: "SQLite format 3" with its NUL
    # at offset 0 and, nested in it, "VIRL" at offset 68.
    hex_bytes() { od -An -tx1 -v | tr -s ' \n' '  ' | sed 's/^ //; s/ $//'; }
    wanted=$(printf ':%s]\n>0=\0\020SQLite format 3\0\n1>68=\0\004VIRL\n' "$mime_type" | hex_bytes)
    found=$(hex_bytes <"$prefix/share/mime/magic" 2>/dev/null)
    if [[ " $found " == *" $wanted "* ]]; then
      pass "magic holds the SQLite header and the VIRL application id for $mime_type"
    else
      fail "magic has no rule 'SQLite format 3\\0' at 0 with 'VIRL' at 68 for $mime_type"
    fi

    # What desktop programs will see on a system with the package installed:
    # the system's types and ours in one database, as dpkg's trigger makes it.
    # (One database matters: Qt 6.4 lets a later directory's magic match
    # override an earlier one's, whatever the priorities.)
    system=$scratch/system
    mkdir -p "$system/mime/packages"
    for xml in /usr/share/mime/packages/*.xml; do
      [ "$(basename "$xml")" = virlo-mime.xml ] || cp "$xml" "$system/mime/packages/"
    done
    cp "$mime_xml" "$system/mime/packages/"
    update-mime-database "$system/mime" >/dev/null 2>&1 || fail "update-mime-database on the system's types and ours"
    doc_dir=$work/documents
    mkdir -p "$doc_dir"
    printf 'tool box\ndrag 20 24 100 72\nsave "%s"\n' "$doc_dir/box.vrl" >"$doc_dir/box.script"
    if "$prefix/bin/virlo-cli" run "$doc_dir/box.script" >"$work/run.log" 2>&1 && [ -s "$doc_dir/box.vrl" ]; then
      cp "$doc_dir/box.vrl" "$doc_dir/renamed.dat"
      cp "$doc_dir/box.vrl" "$doc_dir/no-extension"
      # The same bytes with another application id are only an SQLite database.
      cp "$doc_dir/box.vrl" "$doc_dir/other.dat"
      printf '\0\0\0\0' | dd of="$doc_dir/other.dat" bs=1 seek=68 conv=notrunc status=none
      expect_type() {  # mode file type
        local got
        got=$(XDG_DATA_DIRS=$system "$probe" "$1" "$2" 2>&1)
        if [ "$got" = "$3" ]; then pass "$(basename "$2") by $1: $3"; else fail "$(basename "$2") by $1: '$got', not $3"; fi
      }
      expect_type content "$doc_dir/renamed.dat" "$mime_type"
      expect_type content "$doc_dir/no-extension" "$mime_type"
      expect_type content "$doc_dir/other.dat" application/vnd.sqlite3
      expect_type name "$doc_dir/box.vrl" "$mime_type"
      expect_type name "$doc_dir/BOX.VRL" "$mime_type"
      described=$(XDG_DATA_DIRS=$system "$probe" type "$mime_type" 2>&1)
      if [ "$described" = "$(printf 'comment: VIRLO Document\nparents: application/vnd.sqlite3')" ]; then
        pass "$mime_type is a 'VIRLO Document' and a kind of application/vnd.sqlite3"
      else
        fail "$mime_type is described as: $described"
      fi
    else
      fail "the installed virlo-cli could not save a document: $(cat "$work/run.log")"
    fi
  else
    echo "SKIPPED the database checks: update-mime-database is missing (package shared-mime-info)"
  fi
fi

# --- The icons ---
for svg in "apps/virlo.svg" "mimetypes/$mime_icon.svg"; do
  path=$prefix/share/icons/hicolor/scalable/$svg
  if [ -f "$path" ] && "$probe" xml "$path" && grep -q '<svg' "$path"; then
    pass "scalable/$svg is an SVG"
  else
    fail "scalable/$svg is missing or not well-formed SVG"
  fi
done
for size in 48 256; do
  for png in "apps/virlo.png" "mimetypes/$mime_icon.png"; do
    path=$prefix/share/icons/hicolor/${size}x$size/$png
    # The signature, then the IHDR chunk's width and height.
    header=$(od -An -tx1 -N24 "$path" 2>/dev/null | tr -d ' \n')
    dims=$(printf '%08x%08x' "$size" "$size")
    if [ "${header:0:16}" = "89504e470d0a1a0a" ] && [ "${header:32:16}" = "$dims" ]; then
      pass "${size}x$size/$png is a ${size}x$size PNG"
    else
      fail "${size}x$size/$png is missing or not a ${size}x$size PNG"
    fi
  done
done

# --- The manual pages ---
man_text() { groff -man -Tutf8 -P-cbou 2>/dev/null | LC_ALL=C sed 's/\xe2\x80\x90/-/g; s/\xe2\x88\x92/-/g'; }
long_options() { grep -o -- '--[a-z][a-z0-9-]*' | LC_ALL=C sort -u | tr '\n' ' '; }
for page in virlo virlo-cli; do
  gz=$prefix/share/man/man1/$page.1.gz
  if [ ! -f "$gz" ]; then
    fail "no manual page $page.1.gz"
    continue
  fi
  if gzip -dc "$gz" | cmp -s - "$source/man/$page.1"; then
    pass "$page.1.gz holds man/$page.1"
  else
    fail "$page.1.gz does not decompress to man/$page.1"
  fi
  if command -v groff >/dev/null 2>&1; then
    if warnings=$(gzip -dc "$gz" | groff -man -Tutf8 -ww -z 2>&1) && [ -z "$warnings" ]; then
      pass "groff formats $page.1 without warnings"
    else
      fail "groff on $page.1: $warnings"
    fi
    # The help and the page name the same long options.
    from_help=$("$prefix/bin/$page" --help 2>/dev/null | long_options)
    from_page=$(gzip -dc "$gz" | man_text | long_options)
    if [ -n "$from_help" ] && [ "$from_help" = "$from_page" ]; then
      pass "$page --help and $page.1 name the same options: $from_help"
    else
      fail "$page --help names '$from_help' but $page.1 names '$from_page'"
    fi
  else
    echo "SKIPPED two checks: groff is missing (package groff-base)"
  fi
  if command -v man >/dev/null 2>&1; then
    if warnings=$(MANPAGER=cat PAGER=cat MANWIDTH=80 man -l "$gz" 2>&1 >/dev/null) && [ -z "$warnings" ]; then
      pass "man -l shows $page.1.gz without complaint"
    else
      fail "man -l on $page.1.gz: $warnings"
    fi
  fi
  if command -v lexgrog >/dev/null 2>&1; then
    if lexgrog "$gz" 2>&1 | grep -q ": \"$page - "; then
      pass "lexgrog finds the NAME line of $page.1 for whatis"
    else
      fail "lexgrog cannot read the NAME line of $page.1: $(lexgrog "$gz" 2>&1)"
    fi
  fi
done

if [ $failures -gt 0 ]; then
  echo "$failures problem(s)"
  exit 1
fi
echo "all install checks passed"
