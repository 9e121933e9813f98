#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests and the demo need, where they are missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev
  libsqlite3-dev sqlite3 unixodbc-dev odbcinst tdsodbc libsqliteodbc
  mdbtools-dev mdbtools
  libfmt-dev nlohmann-json3-dev libtomlplusplus-dev libcli11-dev libutfcpp-dev
  libssl-dev lld help2man
  libpango1.0-dev libcairo2-dev libzint-dev libpng-dev libgdk-pixbuf-2.0-dev libfontconfig-dev fonts-wqy-microhei
  zbar-tools poppler-utils
  libgtest-dev libgmock-dev libbenchmark-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
