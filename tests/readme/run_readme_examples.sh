#!/usr/bin/env bash
# Runs the README's examples as a new user pastes them: every ```sh block, in order, in one shell,
# with a fresh home and from a folder laid out as the repository after `make demo` (the README's
# build/ and sql/ are this build's and the source's). A block under a line
# `<!-- not run: REASON -->` is skipped: it builds the project itself, installs a package, or
# needs a SQL Server. Fails at the first command that fails, naming its README line.
#
# usage: run_readme_examples.sh README BUILD_DIR SOURCE_DIR
set -euo pipefail
# The sanitizers' options of a sanitizer build pass through (its suppressions among them).
source "$(dirname "${BASH_SOURCE[0]}")/../support/sanitizer_options.sh"
readme=$(realpath "$1")
build_dir=$(realpath "$2")
source_dir=$(realpath "$3")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/home" "$work/repo"
ln -s "$build_dir" "$work/repo/build"
ln -s "$source_dir/sql" "$work/repo/sql"

# The script keeps every README line on its own line number, so that bash's $LINENO is the
# README's: lines outside the blocks that run become empty, and line 1 sets the error report.
awk '
  NR == 1 { print "trap '\''echo \"README.md line $LINENO failed (status $?)\" >&2'\'' ERR"; next }
  in_block && $0 ~ "^" indent "```[ \t]*$" { in_block = 0; print ""; next }
  in_block { print (run ? substr($0, length(indent) + 1) : ""); next }
  /^ *<!-- not run:/ { skip_next = 1; print ""; next }
  /^ *```sh[ \t]*$/ {
    in_block = 1; indent = $0; sub(/```sh[ \t]*$/, "", indent)
    run = !skip_next; skip_next = 0; blocks += run; print ""; next
  }
  /^ *```/ { in_block = 1; indent = $0; sub(/```.*$/, "", indent); run = 0; print ""; next }
  { if ($0 !~ /^[ \t]*$/) skip_next = 0; print "" }
  END { if (blocks == 0) { print "exit 99" } }
' "$readme" > "$work/readme.sh"
if grep -q '^exit 99$' "$work/readme.sh"; then
  echo "no runnable sh block in $readme" >&2
  exit 1
fi

# In a sanitizer build the SQLite extension needs the sanitizer's runtime loaded before it: the
# stock sqlite3 shell the README runs gets it preloaded (and keeps its own allocations unchecked).
path=/usr/local/bin:/usr/bin:/bin
runtime=$(ldd "$build_dir/lib/libtavsqlite.so" 2>/dev/null | awk '/lib(a|t)san\.so/ { print $3 }')
if [[ -n $runtime ]]; then
  mkdir "$work/bin"
  printf '#!/bin/sh\nLD_PRELOAD=%s ASAN_OPTIONS=detect_leaks=0 exec /usr/bin/sqlite3 "$@"\n' \
    "$runtime" > "$work/bin/sqlite3"
  chmod +x "$work/bin/sqlite3"
  path="$work/bin:$path"
fi

cd "$work/repo"
env -i HOME="$work/home" PATH="$path" LANG=C.UTF-8 TMPDIR="$work" \
  "${sanitizer_options[@]}" bash --noprofile --norc -e -o pipefail "$work/readme.sh"
echo "Every runnable example of $readme passed"
