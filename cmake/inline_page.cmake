# SPDX-License-Identifier: MIT
# Writes the browser page as one self-contained HTML file: every
#   <link rel="stylesheet" href="NAME">   becomes <style>NAME's text</style>
#   <script ATTRIBUTES src="NAME"></script> becomes <script ATTRIBUTES>NAME's text</script>
# (the script's other attributes kept, in their order). NAME is a file of
# WEB_DIR, but for clip2c-core.js, the WebAssembly module's script, which is
# CORE. The same inputs give the same bytes: every text is copied as it is,
# but for its CR LF line ends, written as LF (HTML, CSS and JavaScript read
# the two alike). Fails, naming the reason and writing nothing, when
#   - a NAME is missing, or is not a plain file name;
#   - a file holds a NUL byte (CMake would cut its text short there);
#   - a text holds what would end its element early: its end tag in any
#     case, or in a script "<!--";
#   - the markup still names a file: a src or href attribute that is not
#     data:, blob: or #... (the inlined texts are not markup).
#
#   cmake -DPAGE=web/index.html -DWEB_DIR=web -DCORE=<clip2c-core.js> -DOUTPUT=<out.html> -P inline_page.cmake
cmake_minimum_required(VERSION 3.20)
foreach(var IN ITEMS PAGE WEB_DIR CORE OUTPUT)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "usage: cmake -DPAGE=<index.html> -DWEB_DIR=<folder> -DCORE=<clip2c-core.js> "
                        "-DOUTPUT=<page.html> -P inline_page.cmake")
  endif()
endforeach()

# Sets ${out} to the text of the file at PATH.
function(read_text path out)
  file(READ "${path}" hex HEX)
  string(REGEX MATCHALL ".." bytes "${hex}")
  list(FIND bytes "00" at)
  if(at GREATER -1)
    message(FATAL_ERROR "inline_page: ${path} holds a NUL byte (at ${at}), which a page's text cannot hold")
  endif()
  file(READ "${path}" text)
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# Sets ${out} to the text of the file the page names NAME.
function(read_named name out)
  if(NOT name MATCHES "^[A-Za-z0-9_.-]+$" OR name MATCHES "^\\.")
    message(FATAL_ERROR "inline_page: ${PAGE} names \"${name}\", which is not a file name in ${WEB_DIR}")
  endif()
  if(name STREQUAL "clip2c-core.js")
    set(path "${CORE}")
  else()
    set(path "${WEB_DIR}/${name}")
  endif()
  if(NOT EXISTS "${path}" OR IS_DIRECTORY "${path}")
    message(FATAL_ERROR "inline_page: ${PAGE} names ${name}, but there is no ${path}")
  endif()
  read_text("${path}" text)
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# Fails when TEXT, put inside a <TAG> element, holds something that ends the
# element before TEXT's end: its end tag, in any case, or in a script the
# "<!--" that lets a later "<script" hide the real end tag.
function(check_inside tag name text)
  string(TOLOWER "${text}" lower)
  string(FIND "${lower}" "</${tag}" at)
  if(at GREATER -1)
    message(FATAL_ERROR "inline_page: ${name} holds \"</${tag}\", which would end its <${tag}> element early")
  endif()
  if(tag STREQUAL "script")
    string(FIND "${lower}" "<!--" at)
    if(at GREATER -1)
      message(FATAL_ERROR "inline_page: ${name} holds \"<!--\", which changes how a browser finds the "
                          "end of its <script> element")
    endif()
  endif()
endfunction()

read_text("${PAGE}" rest)
set(page "")
# The markup alone, lower-cased, without the inlined texts: what the final
# check reads for file names.
set(markup "")
set(link_pattern "<link[ \t\r\n][^>]*rel=\"stylesheet\"[^>]*>")
set(script_pattern "<script[ \t\r\n][^>]*src=\"[^\"]*\"[^>]*></script>")
while(TRUE)
  string(REGEX MATCH "${link_pattern}|${script_pattern}" tag "${rest}")
  if(tag STREQUAL "")
    break()
  endif()
  # The regular expression's match is the first place the same text occurs.
  string(FIND "${rest}" "${tag}" at)
  string(SUBSTRING "${rest}" 0 ${at} before)
  string(LENGTH "${tag}" length)
  math(EXPR after "${at} + ${length}")
  string(SUBSTRING "${rest}" ${after} -1 rest)
  string(APPEND page "${before}")
  string(APPEND markup "${before}")

  if(tag MATCHES "^<link")
    if(NOT tag MATCHES "[ \t\r\n]href=\"([^\"]*)\"")
      message(FATAL_ERROR "inline_page: a stylesheet link without href=\"...\": ${tag}")
    endif()
    set(name "${CMAKE_MATCH_1}")
    read_named("${name}" text)
    check_inside(style "${name}" "${text}")
    string(APPEND page "<style>${text}</style>")
    string(APPEND markup "<style></style>")
  else()
    string(REGEX MATCH "[ \t\r\n]src=\"([^\"]*)\"" src "${tag}")
    set(name "${CMAKE_MATCH_1}")
    read_named("${name}" text)
    check_inside(script "${name}" "${text}")
    string(REPLACE "${src}" "" open "${tag}")
    string(REGEX REPLACE "</script>$" "" open "${open}")
    string(APPEND page "${open}${text}</script>")
    string(APPEND markup "${open}</script>")
  endif()
endwhile()
string(APPEND page "${rest}")
string(APPEND markup "${rest}")

# Any src or href left in the markup must name no file. (Semicolons would
# split the list of matches.)
string(TOLOWER "${markup}" markup)
string(REPLACE ";" "," markup "${markup}")
string(REGEX MATCHALL "[ \t\r\n](src|href)[ \t\r\n]*=[ \t\r\n]*(\"[^\"]*\"|'[^']*'|[^ \t\r\n>]+)" references
       "${markup}")
foreach(reference IN LISTS references)
  string(REGEX REPLACE "^[^=]*=[ \t\r\n]*[\"']?" "" value "${reference}")
  if(NOT value MATCHES "^(data:|blob:|#)")
    string(STRIP "${reference}" reference)
    message(FATAL_ERROR "inline_page: the page still names a file (${reference}); "
                        "only data:, blob: and #... are left as they are")
  endif()
endforeach()

file(WRITE "${OUTPUT}" "${page}")
