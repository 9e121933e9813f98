#!/usr/bin/env bash
# Checks an installed tavprint as users meet it, each with a home of their own:
#   check_installed.sh PREFIX [REINSTALL_COMMAND ...]
# PREFIX holds bin/tavprint (an install prefix, or usr/ of an unpacked package). The command, when
# given, installs the same files again over PREFIX, as an upgrade does.
set -euo pipefail
prefix=$(realpath "$1")
shift
tavprint=$prefix/bin/tavprint
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
  echo "FAILED: $*" >&2
  exit 1
}
# The sanitizers' options of a sanitizer build pass through (its suppressions among them).
source "$(dirname "${BASH_SOURCE[0]}")/../support/sanitizer_options.sh"
# tavprint with only the given home: no TAV_* or XDG_* variable of the caller reaches it.
as_user() {
  local home=$1
  shift
  env -i HOME="$home" PATH="$prefix/bin:/usr/bin:/bin" LANG=C.UTF-8 "${sanitizer_options[@]}" "$@"
}
prefix_state() { find "$prefix" -printf '%p %s %T@\n' | sort; }

version=$(as_user "$work/home" tavprint --version)
[[ $version =~ ^tavprint\ [0-9]+\.[0-9]+ ]] || fail "--version printed '$version'"

# The tour with a fresh home: the libraries are found and registered from the install, and
# nothing is written under the prefix.
before=$(prefix_state)
as_user "$work/home" tavprint demo > "$work/demo.txt" || fail "tavprint demo"
[[ $before == "$(prefix_state)" ]] || fail "tavprint wrote under $prefix"
registry=$work/home/.config/tav/registry.json
grep -q "$prefix/lib[^\"]*/libTAVMPrintExport.so" "$registry" || fail "the registry names no installed library"
sysdir=$(as_user "$work/home" tavprint call clsGetData.TAV_GetSysDirectory)
[[ $sysdir == "\"$prefix\"" ]] || fail "TAV_GetSysDirectory gave $sysdir, not \"$prefix\""

# A second user has a registry and data of their own.
as_user "$work/other" tavprint sql demo "SELECT COUNT(*) AS n FROM t_User" > /dev/null ||
  fail "a second user"
[[ -f $work/other/.config/tav/registry.json ]] || fail "no registry in the second user's home"

# Installing again over the install keeps each user's registry and data.
as_user "$work/home" tavprint templates save 21 kept-template "$work/demo.txt" > /dev/null
registry_before=$(cat "$registry")
if [[ $# -gt 0 ]]; then
  "$@" > /dev/null || fail "reinstalling with: $*"
fi
[[ $registry_before == "$(cat "$registry")" ]] || fail "the registry changed on reinstalling"
as_user "$work/home" tavprint templates list 21 | grep -q kept-template ||
  fail "the saved template is gone after reinstalling"

# A home that cannot be written (a path through a file, which even root cannot create): the
# error names where tavprint wanted to write.
unwritable=/proc/version/home
if as_user "$unwritable" tavprint demo > /dev/null 2> "$work/error.txt"; then
  fail "tavprint demo succeeded with the home $unwritable"
fi
grep -q "$unwritable" "$work/error.txt" || fail "the error does not say where: $(cat "$work/error.txt")"

# The man page and the bash completion are installed, and the completion knows the commands.
[[ -s $prefix/share/man/man1/tavprint.1.gz ]] || fail "no man page"
completions=$(as_user "$work/home" bash -c "source '$prefix/share/bash-completion/completions/tavprint'
  COMP_WORDS=(tavprint templ); COMP_CWORD=1; _tavprint; echo \"\${COMPREPLY[*]}\"")
[[ " $completions " == *" templates "* ]] || fail "bash completion of 'templ' gave: $completions"
completions=$(as_user "$work/home" bash -c "source '$prefix/share/bash-completion/completions/tavprint'
  COMP_WORDS=(tavprint --dsn demo templates --); COMP_CWORD=4; _tavprint; echo \"\${COMPREPLY[*]}\"")
[[ " $completions " == *" --help "* ]] || fail "bash completion of 'templates --' gave: $completions"

echo "The installed tavprint in $prefix passed every check"
