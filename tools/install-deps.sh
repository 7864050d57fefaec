#!/bin/bash
# Installs the Debian packages that are missing, as root or through sudo.
#   tools/install-deps.sh [build|test|ci] [LOG]
# build: what building the two programs needs; test: and what the tests run;
# ci: and the Clang toolchain of the sanitizer build. apt-get's output goes to
# LOG (default: install-deps.log in the current folder); a few lines say what happens.
set -euo pipefail
profile=${1:-test}
log=${2:-install-deps.log}

build=(make cmake ninja-build g++ pkg-config ccache libsqlite3-dev zlib1g-dev libgtest-dev libgsf-1-dev libmd4c-dev libgnutls28-dev
       libmd4c-html0-dev qt6-base-dev libjemalloc-dev)
test=(sqlite3 python3 python3-pyftpdlib python3-xlrd python3-feedparser libxml2-utils
      desktop-file-utils shared-mime-info xvfb xauth fonts-dejavu-core fonts-dejavu-extra dpkg-dev imagemagick
      poppler-utils openssl python3-openssl lftp)
ci=(clang libclang-rt-14-dev)
case $profile in
  build) packages=("${build[@]}") ;;
  test) packages=("${build[@]}" "${test[@]}") ;;
  ci) packages=("${build[@]}" "${test[@]}" "${ci[@]}") ;;
  *) echo "usage: $0 [build|test|ci] [LOG]" >&2; exit 2 ;;
esac

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

as_root=()
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo > /dev/null; then
    echo "Missing packages: ${missing[*]}. Installing them needs root and there is no sudo: run" \
         "su -c 'apt-get install -y ${missing[*]}' (or ask your administrator), then run this again." >&2
    exit 1
  fi
  as_root=(sudo)
  # Asked here, on the terminal, rather than behind the redirected output below.
  sudo true || { echo "sudo did not allow installing: ${missing[*]}. Ask your administrator." >&2; exit 1; }
fi

mkdir -p "$(dirname "$log")"
noun=packages
[ ${#missing[@]} -eq 1 ] && noun=package
echo "Installing ${#missing[@]} missing $noun with apt-get (full log: $log):"
echo "  ${missing[*]}"
start=$SECONDS
{
  "${as_root[@]}" apt-get update &&
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=300 install -y \
    --no-install-recommends "${missing[@]}"
} > "$log" 2>&1 || {
  echo "apt-get failed; the last lines of $log:" >&2
  tail -n 15 "$log" >&2
  exit 1
}
echo "Installed in $((SECONDS - start)) s."
