#!/bin/bash
# Installs the build folder $1 into a temporary prefix and checks what a desktop
# finds there: the executables, a valid desktop entry whose program, icon and MIME
# type are the ones installed, icons of the sizes their folders claim, and a MIME
# package that update-mime-database reads without complaint and that maps *.zdb.
# $2 is 1 when the desktop program was built.
set -euo pipefail
build=$1
with_app=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
prefix=$tmp/usr
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

cmake --install "$build" --prefix "$prefix" > "$tmp/install.log" || { cat "$tmp/install.log"; exit 1; }

[ -x "$prefix/bin/tessary-cli" ] || fail "bin/tessary-cli is not installed"
[ -f "$prefix/share/man/man1/tessary-cli.1" ] || fail "share/man/man1/tessary-cli.1 is not installed"
[ -f "$prefix/share/bash-completion/completions/tessary-cli" ] || fail "the bash completion is not installed"
for tem in Reading Magazine Minimal; do
  [ -s "$prefix/share/tessary/templates/$tem.tem" ] || fail "share/tessary/templates/$tem.tem is not installed"
done

mime_xml=$prefix/share/mime/packages/tessary.xml
[ -f "$mime_xml" ] || { fail "share/mime/packages/tessary.xml is not installed"; exit 1; }
xmllint --noout "$mime_xml" || fail "tessary.xml is not well-formed"
# update-mime-database warns on stderr about what it does not understand.
XDG_DATA_HOME=$prefix/share XDG_DATA_DIRS=$prefix/share update-mime-database "$prefix/share/mime" 2> "$tmp/umd.err" || fail "update-mime-database failed"
if [ -s "$tmp/umd.err" ]; then fail "update-mime-database complained:"; cat "$tmp/umd.err" >&2; fi
grep -qx 'application/x-tessary-blog:\*\.zdb' <(cut -d: -f2- "$prefix/share/mime/globs2") \
  || fail "*.zdb is not mapped to application/x-tessary-blog"
# A blog file starts with the SQLite header and carries the application id "TSRY" at offset 68.
grep -q 'TSRY' "$prefix/share/mime/magic" || fail "the magic rule for blog files is missing"

if [ "$with_app" = 1 ]; then
  [ -x "$prefix/bin/tessary" ] || fail "bin/tessary is not installed"
  desktop=$prefix/share/applications/tessary.desktop
  [ -f "$desktop" ] || { fail "share/applications/tessary.desktop is not installed"; exit 1; }
  # Hints are advice; errors and warnings fail.
  desktop-file-validate "$desktop" > "$tmp/dfv.out" 2>&1 || fail "desktop-file-validate failed"
  if grep -v ': hint: ' "$tmp/dfv.out" > "$tmp/dfv.issues"; then
    fail "desktop-file-validate:"; cat "$tmp/dfv.issues" >&2
  fi
  key() { sed -n "s/^$1=//p" "$desktop"; }
  exec_program=$(key Exec | cut -d' ' -f1)
  [ -x "$prefix/bin/$exec_program" ] || fail "Exec names '$exec_program', which is not in bin"
  icon=$(key Icon)
  svg=$prefix/share/icons/hicolor/scalable/apps/$icon.svg
  if [ ! -f "$svg" ]; then fail "no scalable icon named '$icon'"
  else xmllint --noout "$svg" || fail "the scalable icon is not well-formed"; fi
  for size in 48 256; do
    png=$prefix/share/icons/hicolor/${size}x${size}/apps/$icon.png
    if [ ! -f "$png" ]; then fail "no ${size}x${size} icon named '$icon'"; continue; fi
    # PNG signature, then the IHDR chunk: width and height as 32-bit big-endian numbers at 16 and 20.
    read -r w h < <(od -An -tu1 -j16 -N8 "$png" | awk '{print $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8}')
    [ "$w" = "$size" ] && [ "$h" = "$size" ] || fail "${size}x${size}/apps/$icon.png is ${w}x${h}"
  done
  IFS=';' read -r -a types <<< "$(key MimeType)"
  for t in "${types[@]}"; do
    [ -z "$t" ] && continue
    [ -f "$prefix/share/mime/$t.xml" ] || fail "MimeType names $t, which no installed MIME package defines"
  done
fi

[ "$failures" -eq 0 ] || exit 1
echo "install layout OK ($prefix)"
