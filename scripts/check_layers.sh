#!/usr/bin/env bash
# Checks that every #include of the source tree points down the layers that src/README.md draws,
# and prints each one that does not (file:line: what includes what). Exit status 1 when any does.
#
#   check_layers.sh [ROOT]     ROOT holds src/ and cli/ (default: the repository)
#
# A layer may include itself and the layers its line below lists; a file is placed by its path
# (frame/cls_* are the three classes, the rest of frame/ is what they and the subsystems share).
set -euo pipefail
root=${1:-"$(dirname "$0")/.."}
cd "$root"

dirs=()
for dir in src cli; do [[ -d $dir ]] && dirs+=("$dir"); done
find "${dirs[@]}" -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.c' -o -name '*.in' \) -print0 |
  xargs -0 awk '
    BEGIN {
      allowed["cli"] = "printing typelib platform"
      allowed["printing"] = "platform"
      allowed["server"] = "classes frame typelib platform"
      allowed["classes"] = "templates billdata frame typelib platform"
      allowed["templates"] = "frame typelib platform"
      allowed["billdata"] = "frame typelib platform"
      allowed["frame"] = "typelib platform"
      allowed["typelib"] = "platform"
      allowed["platform"] = ""
      status = 0
    }
    function layer_of(path) {
      sub(/^src\//, "", path)
      if (path ~ /^cli\//) return "cli"
      if (path ~ /^printing\//) return "printing"
      if (path ~ /^server\//) return "server"
      if (path ~ /^frame\/cls_/) return "classes"
      if (path ~ /^templates\//) return "templates"
      if (path ~ /^billdata\//) return "billdata"
      if (path ~ /^frame\//) return "frame"
      if (path ~ /^typelib\//) return "typelib"
      if (path ~ /^platform\//) return "platform"
      return ""
    }
    /^[ \t]*#[ \t]*include[ \t]*"/ {
      target = $0
      sub(/^[^"]*"/, "", target)
      sub(/".*$/, "", target)
      from = layer_of(FILENAME)
      to = layer_of(target)
      if (to == "" || from == "" || to == from) next
      if (index(" " allowed[from] " ", " " to " ") == 0) {
        printf "%s:%d: %s includes %s, a header of %s, which it may not see\n", FILENAME, FNR, from, target, to
        status = 1
      }
    }
    END { exit status }
  ' || exit 1
