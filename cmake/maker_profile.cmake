# Reads the maker's profile at configure time: maker.ini (hosts, the maker's
# words and paths, the nine contact lines) and the pictures and icon that
# replace the built-in ones.
# The program itself reads no file at run time, so everything a maker may
# change ends up in generated/build_config.h and in the resource script.
#
# Sets DOUMTEO_MAKER_HOST, DOUMTEO_REMOTE_HOST, DOUMTEO_CONTACT_LINES_CXX,
# DOUMTEO_MAKER_WORDS_CXX (the words and paths as constants), DOUMTEO_COMPANY,
# DOUMTEO_TITLE_NAME and
# DOUMTEO_PICTURE_PC_BACK, DOUMTEO_PICTURE_KEYBOARD, DOUMTEO_ICON_APP (paths)
# and DOUMTEO_MAKER_FILES (what the resources depend on).

set(DOUMTEO_MAKER_DIR "${CMAKE_SOURCE_DIR}/makers/sample" CACHE PATH "The maker's profile folder (maker.ini, pictures, icon)")
get_filename_component(_maker_dir "${DOUMTEO_MAKER_DIR}" ABSOLUTE BASE_DIR "${CMAKE_SOURCE_DIR}")
set(_ini "${_maker_dir}/maker.ini")
if(NOT EXISTS "${_ini}")
  message(FATAL_ERROR "${_ini}: no such file (DOUMTEO_MAKER_DIR must be a folder holding maker.ini)")
endif()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${_ini}")

# The contact labels are 굴림체 (fixed pitch), 9 pt: a half-width column is
# 6 px at 96 DPI, 90 twips at any DPI, and a wide character takes two. The
# label widths are those of FrmMain's SSPanel4 (kContactPlaces).
set(_contact_width_twips 5200 5200 5200 5200 5200 3800 3800 3800 5200)
set(_column_twips 90)

# Columns a line of UTF-8 text takes: one for ASCII, two for anything else.
function(_maker_columns text out)
  string(HEX "${text}" hex)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "\\1," bytes "${hex}")
  string(REGEX MATCHALL "[0-7][0-9a-f]," narrow "${bytes}")
  string(REGEX MATCHALL "[c-f][0-9a-f]," wide "${bytes}")
  list(LENGTH narrow n)
  list(LENGTH wide w)
  math(EXPR columns "${n} + 2 * ${w}")
  set(${out} ${columns} PARENT_SCOPE)
endfunction()

# The maker's words, each with the room it is drawn in, in columns (a
# column is 6 px at 96 DPI: half a Hangul syllable of 9-pt 굴림 or 굴림체,
# whose Latin letters and digits take one). Measured at 96 DPI:
#   company: the home shortcut, a 4560-twip (304 px) image button; its
#     caption starts after the 6-px pad, the 32-px icon and another pad and
#     ends 6 px before the edge: 254 px.
#   remote_tool: AS119 (2265 twips, 151 px) by the same rule: 101 px, 16
#     columns, of which " 설치" takes 5.
#   contact_title: Label5, 3000 twips of 굴림체.
#   title_name: the main window's title bar: 959 px of window less the icon
#     and its margins (30 px) and three 46-px caption buttons: 791 px, 131
#     columns of a 9-pt caption font, shared with the rest of the title.
#   login_title: the login window's title bar: 262 px less the icon (30 px)
#     and the close button (46 px): 186 px.
# mdac_where is shown in a message box, which wraps it; shared_settings is
# a settings key name and is not drawn.
set(_word_keys title_name company contact_title login_title remote_tool mdac_where shared_settings)
set(_word_columns_company 42)
set(_word_columns_remote_tool 11)
set(_word_columns_contact_title 33)
set(_word_columns_login_title 31)
set(_title_columns 131)
set(_path_keys remote_tool_path mdac_path remote_path page_join page_faq page_video page_download page_support
    page_paper page_shop page_login)
set(_known_keys host remote_host ${_word_keys} ${_path_keys} contact1 contact2 contact3 contact4 contact5 contact6
    contact7 contact8 contact9)
foreach(k IN LISTS _known_keys)
  unset(_maker_${k})
endforeach()

# Lines are cut out one by one rather than turned into a CMake list, which
# would split the values at every ';' and '['.
file(READ "${_ini}" _text)
file(READ "${_ini}" _bom LIMIT 3 HEX)
if(_bom STREQUAL "efbbbf")
  string(SUBSTRING "${_text}" 3 -1 _text)
endif()
string(REPLACE "\r" "" _text "${_text}")
set(_line_no 0)
while(NOT _text STREQUAL "")
  string(FIND "${_text}" "\n" _nl)
  if(_nl EQUAL -1)
    set(_line "${_text}")
    set(_text "")
  else()
    string(SUBSTRING "${_text}" 0 ${_nl} _line)
    math(EXPR _rest "${_nl} + 1")
    string(SUBSTRING "${_text}" ${_rest} -1 _text)
  endif()
  math(EXPR _line_no "${_line_no} + 1")
  set(_where "${_ini}:${_line_no}")
  string(STRIP "${_line}" _stripped)
  if(_stripped STREQUAL "" OR _stripped MATCHES "^;")
    continue()
  endif()
  string(FIND "${_stripped}" "=" _eq)
  if(_eq EQUAL -1)
    message(FATAL_ERROR "${_where}: not a 'key = value' line")
  endif()
  string(SUBSTRING "${_stripped}" 0 ${_eq} _key)
  math(EXPR _vstart "${_eq} + 1")
  string(SUBSTRING "${_stripped}" ${_vstart} -1 _value)
  string(STRIP "${_key}" _key)
  string(STRIP "${_value}" _value)
  if(NOT _key IN_LIST _known_keys)
    string(REPLACE ";" ", " _known "${_known_keys}")
    message(FATAL_ERROR "${_where}: unknown key '${_key}' (known: ${_known})")
  endif()
  if(DEFINED _maker_${_key})
    message(FATAL_ERROR "${_where}: '${_key}' is set a second time (first on line ${_maker_${_key}_line})")
  endif()
  if(_value STREQUAL "" AND NOT _key MATCHES "^contact")
    message(FATAL_ERROR "${_where}: '${_key}' has no value")
  endif()
  if(_key MATCHES "host$" AND NOT _value MATCHES "^[A-Za-z0-9.-]+$")
    message(FATAL_ERROR "${_where}: ${_key} '${_value}' is not a host name (letters, digits, '.', '-'; no scheme or path)")
  endif()
  # The web shortcuts hand the host to the shell without a scheme, which
  # opens it as a web address only when it begins with "www.".
  if(_key STREQUAL "host" AND NOT _value MATCHES "^www\\.")
    message(FATAL_ERROR "${_where}: host '${_value}' must begin with 'www.'")
  endif()
  if(_key IN_LIST _path_keys AND NOT _value MATCHES "^/[^ \t?#]*$")
    message(FATAL_ERROR "${_where}: ${_key} '${_value}' is not a path (it begins with '/' and holds no blank, '?' or '#')")
  endif()
  if(_key IN_LIST _word_keys)
    if(_value MATCHES "[\\\"]")
      message(FATAL_ERROR "${_where}: ${_key} holds '\\' or '\"', which no word of the program may hold")
    endif()
    if(_key STREQUAL "shared_settings" AND _value MATCHES "^ | $")
      message(FATAL_ERROR "${_where}: shared_settings begins or ends with a blank")
    endif()
    if(DEFINED _word_columns_${_key})
      _maker_columns("${_value}" _columns)
      if(_columns GREATER _word_columns_${_key})
        message(FATAL_ERROR "${_where}: ${_key} is ${_columns} columns wide, it is drawn in ${_word_columns_${_key}}")
      endif()
    endif()
  endif()
  if(_key MATCHES "^contact([1-9])$")
    math(EXPR _index "${CMAKE_MATCH_1} - 1")
    list(GET _contact_width_twips ${_index} _twips)
    math(EXPR _limit "${_twips} / ${_column_twips}")
    _maker_columns("${_value}" _columns)
    if(_columns GREATER _limit)
      message(FATAL_ERROR "${_where}: ${_key} is ${_columns} columns wide, its label Label1(${_index}) holds ${_limit}")
    endif()
  endif()
  set(_maker_${_key} "${_value}")
  set(_maker_${_key}_line ${_line_no})
endwhile()

foreach(k IN LISTS _known_keys)
  if(NOT DEFINED _maker_${k})
    message(FATAL_ERROR "${_ini}: missing key '${k}'")
  endif()
endforeach()

# The title bar holds the name with the rest of the title and the host.
_maker_columns("  도움터 Ver.${PROJECT_VERSION}     홈페이지 -${_maker_host}" _rest)
math(EXPR _limit "${_title_columns} - ${_rest}")
_maker_columns("${_maker_title_name}" _columns)
if(_columns GREATER _limit)
  message(FATAL_ERROR "${_ini}:${_maker_title_name_line}: title_name is ${_columns} columns wide, "
                      "the title bar holds ${_limit} beside the rest of the title")
endif()

set(DOUMTEO_MAKER_HOST "${_maker_host}")
set(DOUMTEO_COMPANY "${_maker_company}")
set(DOUMTEO_TITLE_NAME "${_maker_title_name}")
# Each word and path as a constant of build_config.h: title_name gives
# kTitleName, page_join kPageJoin.
set(DOUMTEO_MAKER_WORDS_CXX "")
foreach(k IN LISTS _word_keys _path_keys)
  string(REPLACE "_" ";" _parts "${k}")
  set(_name "k")
  foreach(_part IN LISTS _parts)
    string(SUBSTRING "${_part}" 0 1 _first)
    string(SUBSTRING "${_part}" 1 -1 _rest)
    string(TOUPPER "${_first}" _first)
    string(APPEND _name "${_first}${_rest}")
  endforeach()
  string(APPEND DOUMTEO_MAKER_WORDS_CXX "inline constexpr wchar_t ${_name}[] = L\"${_maker_${k}}\";\n")
endforeach()
set(DOUMTEO_REMOTE_HOST "${_maker_remote_host}")
set(DOUMTEO_CONTACT_LINES_CXX "")
foreach(i RANGE 1 9)
  string(REPLACE "\\" "\\\\" _c "${_maker_contact${i}}")
  string(REPLACE "\"" "\\\"" _c "${_c}")
  string(APPEND DOUMTEO_CONTACT_LINES_CXX "\n    L\"${_c}\",")
endforeach()

# Pictures and icon: the maker's own when the folder holds one, else the
# built-in file. A picture must have the size the viewer is laid out for.
function(_maker_png_size file out_w out_h)
  file(READ "${file}" head LIMIT 24 HEX)
  string(SUBSTRING "${head}" 0 16 signature)
  string(SUBSTRING "${head}" 24 8 chunk)
  if(NOT signature STREQUAL "89504e470d0a1a0a" OR NOT chunk STREQUAL "49484452")
    message(FATAL_ERROR "${file}: not a PNG file")
  endif()
  string(SUBSTRING "${head}" 32 8 w)
  string(SUBSTRING "${head}" 40 8 h)
  math(EXPR w "0x${w}")
  math(EXPR h "0x${h}")
  set(${out_w} ${w} PARENT_SCOPE)
  set(${out_h} ${h} PARENT_SCOPE)
endfunction()

set(DOUMTEO_MAKER_FILES "${_ini}")
foreach(pic IN ITEMS "pc_back;420;649" "keyboard;883;316")
  list(GET pic 0 name)
  list(GET pic 1 want_w)
  list(GET pic 2 want_h)
  string(TOUPPER "${name}" upper)
  set(file "${_maker_dir}/${name}.png")
  if(EXISTS "${file}")
    _maker_png_size("${file}" w h)
    if(NOT w EQUAL want_w OR NOT h EQUAL want_h)
      message(FATAL_ERROR "${file}: the picture is ${w} x ${h} pixels, it must be ${want_w} x ${want_h}")
    endif()
    list(APPEND DOUMTEO_MAKER_FILES "${file}")
  else()
    set(file "${CMAKE_SOURCE_DIR}/src/resources/pictures/${name}.png")
  endif()
  set(DOUMTEO_PICTURE_${upper} "${file}")
endforeach()

set(DOUMTEO_ICON_APP "${CMAKE_SOURCE_DIR}/src/resources/icons/app.ico")
if(EXISTS "${_maker_dir}/app.ico")
  file(READ "${_maker_dir}/app.ico" head LIMIT 4 HEX)
  if(NOT head STREQUAL "00000100")
    message(FATAL_ERROR "${_maker_dir}/app.ico: not an icon file")
  endif()
  set(DOUMTEO_ICON_APP "${_maker_dir}/app.ico")
  list(APPEND DOUMTEO_MAKER_FILES "${DOUMTEO_ICON_APP}")
endif()
# The folder too, so that a picture put in or taken out is noticed.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${DOUMTEO_MAKER_FILES} "${_maker_dir}")

message(STATUS "Maker profile: ${_maker_dir} (${DOUMTEO_COMPANY}, host ${DOUMTEO_MAKER_HOST})")
