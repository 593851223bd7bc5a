#!/bin/sh
# Renders the SVG sources of the pictures and icons into the files that
# doumteo.rc embeds (committed beside their sources). Safe to run again:
# every output is rewritten from its source.
#   pictures/*.svg -> pictures/*.png at the size each SVG declares
#   icons/*.svg    -> icons/*.ico with the sizes the program draws the icon at
#                     from 96 to 192 DPI (see sizes_of); frames of 32 px and
#                     more PNG-compressed, smaller ones uncompressed
# Needs rsvg-convert (librsvg2-bin), ImageMagick's convert, python3 and the
# NanumGothic font (fonts-nanum).
set -eu

here=$(cd "$(dirname "$0")" && pwd)
for tool in rsvg-convert convert fc-list python3; do
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

# Button icons are drawn at 32 px x DPI/96, or at 16 px x DPI/96 on a button
# too short for that (the buttons of FrmTimeSet and btnClose); the window
# icon at SM_CXICON and SM_CXSMICON. LoadImage scales the nearest frame for
# the sizes in between (28, 56).
sizes_of() {
  case "$1" in
    app | time) echo 16 20 24 32 40 48 64 ;;
    close | save | timeshow) echo 16 20 24 32 ;;
    *) echo 32 40 48 64 ;;
  esac
}

for svg in "$here"/icons/*.svg; do
  name=$(basename "$svg" .svg)
  set --
  small=""
  for size in $(sizes_of "$name"); do
    rsvg-convert -w "$size" -h "$size" "$svg" -o "$work/$name-$size.png"
    if [ "$size" -lt 32 ]; then
      small="$small $work/$name-$size.png"
    else
      png_out "$work/$name-$size.png" "$work/$name-$size-s.png"
      set -- "$@" "$work/$name-$size-s.png"
    fi
  done
  if [ -n "$small" ]; then
    # shellcheck disable=SC2086 # one file name a word
    convert $small -strip "$work/$name-small.ico"
    set -- "$work/$name-small.ico" "$@"
  fi
  python3 "$here/pack_ico.py" "$work/$name.ico" "$@"
  mv "$work/$name.ico" "$here/icons/$name.ico"
  echo "icons/$name.ico $(sizes_of "$name")"
done
