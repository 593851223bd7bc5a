#!/bin/sh
# Malformed maker profiles must stop the configure step, each with a message
# that names the file, the line and the fault. Every case is the sample
# profile with one fault put in.
# Usage: profiles.sh SOURCE_DIR
set -u
src=$(cd "${1:?source folder}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0

# make_case NAME: a copy of the sample profile in $work/NAME
make_case() {
  mkdir -p "$work/$1"
  cp "$src/makers/sample/maker.ini" "$work/$1/maker.ini"
}
# line_of DIR KEY: the line of maker.ini that sets KEY
line_of() { grep -n "^$2 *=" "$1/maker.ini" | cut -d: -f1; }

# expect NAME TEXT: configuring with profile NAME fails and prints TEXT
expect() {
  out=$(cmake -S "$src" -B "$work/build" -DDOUMTEO_TESTS=OFF "-DDOUMTEO_MAKER_DIR=$work/$1" 2>&1)
  status=$?
  # CMake indents and may wrap a fatal message; join it into one line.
  flat=$(printf '%s\n' "$out" | tr '\n' ' ' | tr -s ' ')
  if [ $status -eq 0 ]; then
    echo "FAIL $1: the configure step went through"
    failed=1
  elif ! printf '%s' "$flat" | grep -qF -- "$2"; then
    echo "FAIL $1: expected \"$2\" in:"
    printf '%s\n' "$out" | sed 's/^/    /'
    failed=1
  else
    echo "ok   $1: $2"
  fi
}

make_case missing-key
sed -i '/^contact7 *=/d' "$work/missing-key/maker.ini"
expect missing-key "$work/missing-key/maker.ini: missing key 'contact7'"

make_case unknown-key
n=$(line_of "$work/unknown-key" contact3)
sed -i "${n}s/^contact3/contact10/" "$work/unknown-key/maker.ini"
expect unknown-key "$work/unknown-key/maker.ini:$n: unknown key 'contact10'"

make_case host-without-www
n=$(line_of "$work/host-without-www" host)
sed -i "${n}s/.*/host = velto.example/" "$work/host-without-www/maker.ini"
expect host-without-www "$work/host-without-www/maker.ini:$n: host 'velto.example' must begin with 'www.'"

make_case host-with-scheme
n=$(line_of "$work/host-with-scheme" remote_host)
sed -i "${n}s|.*|remote_host = http://www.remote.example|" "$work/host-with-scheme/maker.ini"
expect host-with-scheme "$work/host-with-scheme/maker.ini:$n: remote_host 'http://www.remote.example' is not a host name"

make_case picture-size
cp "$src/src/resources/pictures/keyboard.png" "$work/picture-size/pc_back.png"
expect picture-size "$work/picture-size/pc_back.png: the picture is 883 x 316 pixels, it must be 420 x 649"

# 43 columns: one more than the hours labels hold. A Hangul syllable counts
# two, so the same line in ASCII letters would fit.
make_case wide-line
n=$(line_of "$work/wide-line" contact6)
sed -i "${n}s/.*/contact6 = 가나다라마바사아자차카타파하 가나다라마바사/" "$work/wide-line/maker.ini"
expect wide-line "$work/wide-line/maker.ini:$n: contact6 is 43 columns wide, its label Label1(5) holds 42"

make_case bad-path
n=$(line_of "$work/bad-path" page_faq)
sed -i "${n}s|.*|page_faq = /html/faq.php?x=1|" "$work/bad-path/maker.ini"
expect bad-path "$work/bad-path/maker.ini:$n: page_faq '/html/faq.php?x=1' is not a path"

# AS119's caption holds 16 columns, of which " 설치" takes 5.
make_case long-caption
n=$(line_of "$work/long-caption" remote_tool)
sed -i "${n}s/.*/remote_tool = 벨토원격지원1/" "$work/long-caption/maker.ini"
expect long-caption "$work/long-caption/maker.ini:$n: remote_tool is 13 columns wide, it is drawn in 11"

make_case no-equals
printf 'www.velto.example\n' >>"$work/no-equals/maker.ini"
n=$(wc -l <"$work/no-equals/maker.ini")
expect no-equals "$work/no-equals/maker.ini:$n: not a 'key = value' line"

# A valid profile goes through: here with CR LF line ends, a BOM, and a
# contact9 exactly as wide as its label (57 columns) holding ";" and "[",
# which must reach the header unchanged.
make_case crlf-bom
n=$(line_of "$work/crlf-bom" contact9)
sed -i "${n}s/.*/contact9 = ※ 가나다라마바사아자차카타파하 가나다라마바사아자차; [x]/" "$work/crlf-bom/maker.ini"
{ printf '\357\273\277'; sed 's/$/\r/' "$work/crlf-bom/maker.ini"; } >"$work/crlf-bom/m" && mv "$work/crlf-bom/m" "$work/crlf-bom/maker.ini"
if out=$(cmake -S "$src" -B "$work/build" -DDOUMTEO_TESTS=OFF "-DDOUMTEO_MAKER_DIR=$work/crlf-bom" 2>&1); then
  if grep -qF 'L"※ 가나다라마바사아자차카타파하 가나다라마바사아자차; [x]",' "$work/build/generated/build_config.h"; then
    echo "ok   crlf-bom: configured, the line reaches build_config.h"
  else
    echo "FAIL crlf-bom: contact9 is not in build_config.h as written"
    failed=1
  fi
else
  echo "FAIL crlf-bom: a valid profile was refused:"
  printf '%s\n' "$out" | sed 's/^/    /'
  failed=1
fi
exit $failed
