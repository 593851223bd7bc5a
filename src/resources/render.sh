#!/bin/sh
# Renders the SVG sources of the pictures and icons into the files that
# doumteo.rc embeds (committed beside their sources). Safe to run again:
# every output is rewritten from its source.
#   pictures/*.svg -> pictures/*.png at the size each SVG declares
#   icons/*.svg    -> icons/*.ico with 16, 20, 24, 32, 40 and 48 px images
# Needs rsvg-convert (librsvg2-bin), ImageMagick's convert and the NanumGothic
# font (fonts-nanum).
set -eu

here=$(cd "$(dirname "$0")" && pwd)
for tool in rsvg-convert convert fc-list; do
  command -v "$tool" >/dev/null || { echo "render.sh: $tool is missing" >&2; exit 1; }
done
fc-list | grep -q 'NanumGothic' || { echo "render.sh: the NanumGothic font is missing (fonts-nanum)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Strip ancillary chunks so that unchanged sources give byte-identical files.
png_out() { convert "$1" -strip -define png:exclude-chunks=date,time "PNG24:$2"; }

for svg in "$here"/pictures/*.svg; do
  name=$(basename "$svg" .svg)
  w=$(sed -n 's/^<svg[^>]* width="\([0-9]*\)".*/\1/p' "$svg")
  h=$(sed -n 's/^<svg[^>]* height="\([0-9]*\)".*/\1/p' "$svg")
  [ -n "$w" ] && [ -n "$h" ] || { echo "render.sh: $svg declares no width/height" >&2; exit 1; }
  rsvg-convert -w "$w" -h "$h" -b '#ffffff' "$svg" -o "$work/$name.png"
  png_out "$work/$name.png" "$here/pictures/$name.png"
  echo "pictures/$name.png ${w}x${h}"
done

for svg in "$here"/icons/*.svg; do
  name=$(basename "$svg" .svg)
  set --
  for size in 16 20 24 32 40 48; do
    rsvg-convert -w "$size" -h "$size" "$svg" -o "$work/$name-$size.png"
    set -- "$@" "$work/$name-$size.png"
  done
  convert "$@" -strip "$work/$name.ico"
  mv "$work/$name.ico" "$here/icons/$name.ico"
  echo "icons/$name.ico"
done
