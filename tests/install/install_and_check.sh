#!/usr/bin/env bash
# Installs the build into a temporary prefix (cmake --install) and checks it there, installing a
# second time over it as an upgrade does.
#   install_and_check.sh BUILD_DIR
set -euo pipefail
build_dir=$(realpath "$1")
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build_dir" --prefix "$prefix" > /dev/null
"$(dirname "$0")/check_installed.sh" "$prefix" cmake --install "$build_dir" --prefix "$prefix"
