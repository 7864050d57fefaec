#!/bin/bash
# The pages of the demo site and of the sample blog (in every archive mode),
# generated with each template package shipped beside "@default.tem", are valid
# HTML: package_sites_html_check.sh CLI TEST_GENERATOR SOURCE_DIR PROGRAM_DIR.
# Exit 77 (skipped) without a checker.
set -euo pipefail
cli="$1"
tests="$2"
src="$3"
bin="$4"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
TESSARY_SITE_PAGES_DIR="$work/sample" "$tests" --gtest_filter='TemplatePackages.EachGenerates*' > "$work/sample.log" 2>&1 \
  || { cat "$work/sample.log"; exit 1; }
pages=()
count=0
for tem in "$bin"/*.tem; do
  name="$(basename "$tem" .tem)"
  [ "$name" = "@default" ] && continue
  count=$((count + 1))
  folder="$work/demo-$name"
  mkdir -p "$folder"
  cp "$tem" "$folder/"
  { "$cli" --program-folder "$folder" demo &&
    "$cli" --program-folder "$folder" set-option "$folder/demo.zdb" 301 "$name.tem" &&
    "$cli" --program-folder "$folder" generate "$folder/demo.zdb"; } > "$folder.log" 2>&1 || { cat "$folder.log"; exit 1; }
  grep -q "href=\"${name,,}.css\"" "$folder/HTML/demo/index.html" || { echo "$name: the demo site does not use the package"; exit 1; }
  [ -d "$work/sample/$name-monthly" ] || { echo "$name: no sample blog pages"; exit 1; }
  while IFS= read -r -d '' f; do pages+=("$f"); done < <(find "$folder/HTML" "$work/sample/$name-"* -name '*.html' -print0)
done
[ "$count" -ge 3 ] || { echo "only $count template packages in $bin"; exit 1; }
echo "checking ${#pages[@]} pages of $count packages"
bash "$src/tools/check-html.sh" "${pages[@]}"
