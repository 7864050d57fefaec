#!/bin/bash
# Checks generated pages with html-validate: check-html.sh FILE.html...
# Exit 0 when every page is valid, 1 when not, 77 when the checker is missing.
# html-validate closes optional end tags (as of <p>) only for lower-case tag
# names, while HTML ignores their case; the pages are checked with their tag
# names in lower case, which changes nothing else.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
checker="${HTML_VALIDATE:-$here/html-validate/node_modules/.bin/html-validate}"
[ -x "$checker" ] || checker="$(command -v html-validate || true)"
[ -n "$checker" ] && [ -x "$checker" ] || { echo "html-validate is not installed (tools/install-deps.sh installs it)"; exit 77; }
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
i=0
for f in "$@"; do
  i=$((i + 1))
  mkdir -p "$work/$i"
  sed -E 's#<(/?)([A-Za-z][A-Za-z0-9]*)#<\1\L\2#g' "$f" > "$work/$i/$(basename "$f")"
done
printf '{ "extends": ["html-validate:standard"] }\n' > "$work/.htmlvalidate.json"
cd "$work"
"$checker" --config .htmlvalidate.json */*.html
