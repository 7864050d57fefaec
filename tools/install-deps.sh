#!/bin/bash
# Installs the Debian packages the build and the tests need, when missing.
set -euo pipefail
packages=(
  cmake ninja-build g++ pkg-config ccache
  libsqlite3-dev zlib1g-dev libgtest-dev libgsf-1-dev libmd4c-dev libmd4c-html0-dev
  sqlite3 python3 python3-pyftpdlib python3-xlrd python3-feedparser libxml2-utils
  clang libclang-rt-14-dev
  desktop-file-utils shared-mime-info
  qt6-base-dev xvfb xauth fonts-dejavu-core dpkg-dev imagemagick poppler-utils
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
$sudo apt-get update -qq
$sudo env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=300 install -y -qq --no-install-recommends "${missing[@]}"
