#!/bin/sh
# Compiles the help pages of this folder into ../幫助文檔.chm, which ships beside the program.
# The pages are GBK text, as the help viewer on the target machines reads them with the Chinese code page.
# Needs chmcmd (Debian package fp-utils).
set -eu

here=$(cd "$(dirname "$0")" && pwd)
target="$here/../幫助文檔.chm"

command -v chmcmd >/dev/null 2>&1 || { echo "build_help.sh: chmcmd not found (install fp-utils)" >&2; exit 1; }

# Compile in a scratch copy so the sources stay untouched; the project names an ASCII output file,
# renamed at the end because the compiler writes the name byte for byte.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$here"/*.htm "$here"/*.css "$here"/*.hhc "$here"/*.hhk "$here"/*.hhp "$work"/
(cd "$work" && chmcmd help.hhp) >"$work/chmcmd.log" 2>&1 || { cat "$work/chmcmd.log" >&2; exit 1; }
[ -s "$work/help.chm" ] || { cat "$work/chmcmd.log" >&2; echo "build_help.sh: no help.chm produced" >&2; exit 1; }
mv "$work/help.chm" "$target"
echo "built $target ($(wc -c <"$target") bytes)"
