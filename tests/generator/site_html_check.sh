#!/bin/bash
# The pages of the golden sites and of a freshly generated demo site are valid
# HTML: site_html_check.sh CLI SOURCE_DIR. Exit 77 (skipped) without a checker.
set -euo pipefail
cli="$1"
src="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
"$cli" --program-folder "$work" demo > "$work/demo.log" 2>&1 || { cat "$work/demo.log"; exit 1; }
pages=("$src"/tests/golden/*/*.html)
while IFS= read -r -d '' f; do pages+=("$f"); done < <(find "$work/HTML" -name '*.html' -print0)
echo "checking ${#pages[@]} pages"
bash "$src/tools/check-html.sh" "${pages[@]}"
