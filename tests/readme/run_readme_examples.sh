#!/usr/bin/env bash
# Runs the README's examples as a new user pastes them: every ```sh block, in order, in one shell,
# with a fresh home and from a folder laid out as the repository after `make demo` (the README's
# build/ and sql/ are this build's and the source's). A block under a line
# `<!-- not run: REASON -->` is skipped: it builds the project itself, installs a package, or
# needs a SQL Server. Fails at the first command that fails, naming its README line.
#
# usage: run_readme_examples.sh README BUILD_DIR SOURCE_DIR
set -euo pipefail
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

cd "$work/repo"
env -i HOME="$work/home" PATH=/usr/local/bin:/usr/bin:/bin LANG=C.UTF-8 TMPDIR="$work" \
  bash --noprofile --norc -e -o pipefail "$work/readme.sh"
echo "Every runnable example of $readme passed"
