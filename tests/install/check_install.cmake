# cmake -DBUILD_DIR=... -DSTAGE=... -DTEXT_MODULE=... -DEXIF_MODULE=... -DDEMO=... -P check_install.cmake
# Installs BUILD_DIR under the prefix /usr into the fresh folder STAGE (as
# DESTDIR, the way a package is built) and checks what a desktop needs: the
# two programs, the text drawing module TEXT_MODULE and the EXIF module
# EXIF_MODULE (their paths under the prefix) with which the installed command
# line frames a photo DEMO makes, keeping its EXIF and writing its position, a
# desktop entry whose command and icon exist, the icon at
# every usual size, metainfo that launches that entry, the manual pages, and
# the licence in Debian's machine-readable copyright format.
# desktop-file-validate, appstreamcli and man check the formats when present.
# Nothing else may be installed. Every fault is reported (SEND_ERROR), not
# only the first.
cmake_minimum_required(VERSION 3.25)

set(sizes 16 22 24 32 48 64 128 256)

# Every file checked is one expected; the others are strays.
set(expected)
macro(expect path)
  list(APPEND expected "${path}")
endmacro()

function(check_executable path)
  execute_process(COMMAND test -x "${STAGE}/${path}" RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(SEND_ERROR "not installed or not executable: ${path}")
  endif()
endfunction()

# The value of KEY= in the desktop entry's text (the untranslated key only).
function(desktop_value text key out)
  string(REGEX MATCH "(^|\n)${key}=([^\n]*)" line "${text}")
  set(${out} "${CMAKE_MATCH_2}" PARENT_SCOPE)
endfunction()

# A PNG of size x size pixels: signature, then IHDR's width and height.
function(check_png path size)
  if(NOT EXISTS "${STAGE}/${path}")
    message(SEND_ERROR "icon missing: ${path}")
    return()
  endif()
  file(READ "${STAGE}/${path}" head LIMIT 24 HEX)
  math(EXPR side "${size}" OUTPUT_FORMAT HEXADECIMAL)
  string(REGEX REPLACE "^0x" "" side "${side}")
  string(LENGTH "${side}" digits)
  math(EXPR pad "8 - ${digits}")
  string(REPEAT "0" ${pad} zeros)
  set(wanted "89504e470d0a1a0a0000000d49484452${zeros}${side}${zeros}${side}")
  if(NOT head STREQUAL wanted)
    message(SEND_ERROR "${path}: not a ${size} x ${size} PNG (header ${head})")
  endif()
endfunction()

# Runs a checker (tool and its options) on an installed file when the tool is
# on this machine. It fails on a non-zero status or when what it says matches
# fail_pattern (an empty pattern: the status alone decides). With stdout
# ignored only stderr is what it says (man writes the page on stdout).
function(validate file fail_pattern stdout tool)
  find_program(program ${tool} NO_CACHE)
  if(NOT program)
    message(STATUS "${tool} is not installed; ${file} not checked")
    return()
  endif()
  execute_process(COMMAND ${program} ${ARGN} "${STAGE}/${file}"
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  set(text "${err}")
  if(NOT stdout STREQUAL "ignored")
    set(text "${out}${err}")
  endif()
  message(STATUS "${tool} ${file}: status ${rc}\n${text}")
  if(NOT rc EQUAL 0 OR (NOT fail_pattern STREQUAL "" AND text MATCHES "${fail_pattern}"))
    message(SEND_ERROR "${tool} rejects ${file}")
  endif()
endfunction()

file(REMOVE_RECURSE "${STAGE}")
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env DESTDIR=${STAGE} ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix /usr
  RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed with status ${rc}")
endif()

foreach(program geoframe geoframe-cli)
  check_executable(usr/bin/${program})
  expect(usr/bin/${program})
endforeach()

expect(usr/${TEXT_MODULE})
expect(usr/${EXIF_MODULE})
set(photos "${STAGE}-photos")
file(REMOVE_RECURSE "${photos}")
execute_process(COMMAND "${DEMO}" "${photos}" RESULT_VARIABLE rc OUTPUT_QUIET)
file(GLOB demo "${photos}/*.JPG")
list(GET demo 0 photo)
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen "${STAGE}/usr/bin/geoframe-cli" run --no-backup --frame
    --comment x --keep-exif --track "${photos}/track.txt" --write-gps "${photo}"
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(SEND_ERROR "the installed geoframe-cli does not frame: status ${rc}\n${out}${err}")
endif()

file(GLOB entries RELATIVE "${STAGE}" "${STAGE}/usr/share/applications/*.desktop")
list(LENGTH entries count)
if(NOT count EQUAL 1)
  message(FATAL_ERROR "expected one desktop entry, found: ${entries}")
endif()
expect(${entries})
get_filename_component(desktop_id "${entries}" NAME)
file(READ "${STAGE}/${entries}" entry)
desktop_value("${entry}" Exec exec)
string(REGEX REPLACE " .*" "" command "${exec}")
check_executable(usr/bin/${command})
foreach(key Name\\[zh_CN\\] GenericName\\[zh_CN\\] Comment\\[zh_CN\\] Categories MimeType)
  desktop_value("${entry}" "${key}" value)
  if(value STREQUAL "")
    message(SEND_ERROR "${desktop_id} has no ${key}")
  endif()
endforeach()
desktop_value("${entry}" Icon icon)
foreach(size IN LISTS sizes)
  check_png(usr/share/icons/hicolor/${size}x${size}/apps/${icon}.png ${size})
  expect(usr/share/icons/hicolor/${size}x${size}/apps/${icon}.png)
endforeach()

string(REGEX REPLACE "\\.desktop$" "" app_id "${desktop_id}")
set(metainfo usr/share/metainfo/${app_id}.metainfo.xml)
expect(${metainfo})
if(NOT EXISTS "${STAGE}/${metainfo}")
  message(FATAL_ERROR "metainfo missing: ${metainfo}")
endif()
file(READ "${STAGE}/${metainfo}" xml)
foreach(needed "<launchable type=\"desktop-id\">${desktop_id}</launchable>"
    "<binary>geoframe</binary>" "<binary>geoframe-cli</binary>" "<description xml:lang=\"zh_CN\">|<p xml:lang=\"zh_CN\">")
  if(NOT xml MATCHES "${needed}")
    message(SEND_ERROR "${metainfo} lacks ${needed}")
  endif()
endforeach()

foreach(page geoframe geoframe-cli)
  expect(usr/share/man/man1/${page}.1.gz)
  if(NOT EXISTS "${STAGE}/usr/share/man/man1/${page}.1.gz")
    message(SEND_ERROR "manual page missing: usr/share/man/man1/${page}.1.gz")
  endif()
endforeach()

# The format's header first, then one paragraph for every file with the
# licence's text indented and its blank lines as " .".
set(copyright usr/share/doc/geoframe/copyright)
expect(${copyright})
if(NOT EXISTS "${STAGE}/${copyright}")
  message(SEND_ERROR "licence missing: ${copyright}")
else()
  file(READ "${STAGE}/${copyright}" text)
  foreach(needed "^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
      "\n\nFiles: \\*\nCopyright: [0-9]+ [^\n]+\nLicense: Expat\n Permission is hereby granted"
      "\n [.]\n THE SOFTWARE IS PROVIDED \"AS IS\"")
    if(NOT text MATCHES "${needed}")
      message(SEND_ERROR "${copyright} lacks ${needed}")
    endif()
  endforeach()
endif()

file(GLOB_RECURSE installed LIST_DIRECTORIES false RELATIVE "${STAGE}" "${STAGE}/*")
list(REMOVE_ITEM installed ${expected})
if(installed)
  message(SEND_ERROR "installed but not expected: ${installed}")
endif()

validate(usr/share/applications/${desktop_id} "error:|warning:|hint:" shown desktop-file-validate)
validate(${metainfo} "" shown appstreamcli validate --no-net)
# man prints troff's warnings (unknown macros, bad escapes, overlong lines) on stderr.
set(ENV{MANWIDTH} 80)
set(ENV{MANROFFSEQ} "")
foreach(page geoframe geoframe-cli)
  validate(usr/share/man/man1/${page}.1.gz "." ignored man --warnings -E UTF-8 -Tutf8 -Z -l)
endforeach()
