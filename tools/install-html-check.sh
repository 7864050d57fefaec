#!/bin/bash
# Installs the HTML checker the site tests use (html-validate, from npm) into
# tools/html-validate/, with Node from Debian when it is missing. Best effort:
# without it the HTML test is skipped, nothing else depends on it.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
dest="$here/html-validate"
[ -x "$dest/node_modules/.bin/html-validate" ] && exit 0
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
if ! command -v npm > /dev/null; then
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=300 install -y -qq --no-install-recommends \
    nodejs npm > /dev/null 2>&1 || { echo "Could not install Node and npm; the HTML check will be skipped."; exit 0; }
fi
mkdir -p "$dest"
if ! timeout 600 npm install --prefix "$dest" --no-audit --no-fund --loglevel=error html-validate@9.7.1 \
    > "$dest/npm.log" 2>&1; then
  echo "Could not install html-validate (see $dest/npm.log); the HTML check will be skipped."
fi
exit 0
