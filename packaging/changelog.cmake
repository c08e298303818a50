# SPDX-License-Identifier: MIT
# Reads CHANGELOG.md (the "Keep a Changelog" layout) for the packages.
#
#   clip2c_read_changelog(<file> <version-var> <date-var> <text-var>)
#
# finds the newest released entry, the first heading of the form
# "## [1.2.3] - 2026-12-08" (an "## [Unreleased]" entry is passed over), and
# sets <version-var> to its version, <date-var> to its date (YYYY-MM-DD) and
# <text-var> to its Markdown text, up to the next "## " heading or the link
# definitions at the end. Any of them is empty when there is no such entry.
# The text is kept as one string: Markdown holds ';' and '[', which a CMake
# list of lines would not keep intact.
function(clip2c_read_changelog file version_var date_var text_var)
  file(READ "${file}" content)
  set(version "")
  set(date "")
  set(text "")
  set(heading "\n## \\[([0-9]+\\.[0-9]+\\.[0-9]+[0-9A-Za-z.+~-]*)\\] - ([0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9])[ \t]*\n")
  string(REGEX MATCH "${heading}" match "\n${content}")
  if(match)
    set(version "${CMAKE_MATCH_1}")
    set(date "${CMAKE_MATCH_2}")
    string(FIND "\n${content}" "${match}" at)
    string(LENGTH "${match}" length)
    math(EXPR at "${at} + ${length} - 1")
    string(SUBSTRING "\n${content}" ${at} -1 text)
    string(REGEX REPLACE "\n## .*" "" text "${text}")
    string(REGEX REPLACE "\n\\[[^]\n]*\\]: .*" "" text "${text}")
  endif()
  set(${version_var} "${version}" PARENT_SCOPE)
  set(${date_var} "${date}" PARENT_SCOPE)
  set(${text_var} "${text}" PARENT_SCOPE)
endfunction()

# Turns a changelog date (YYYY-MM-DD) into the seconds since 1970 of its
# midnight UTC, the packages' SOURCE_DATE_EPOCH, and into the form a Debian
# changelog's signature line takes ("Tue, 08 Dec 2026 00:00:00 +0000").
#
#   clip2c_changelog_date(<date> <epoch-var> <rfc5322-var>)
function(clip2c_changelog_date date epoch_var rfc_var)
  if(NOT date MATCHES "^([0-9][0-9][0-9][0-9])-([0-9][0-9])-([0-9][0-9])$")
    message(FATAL_ERROR "CHANGELOG.md: '${date}' is not a date (YYYY-MM-DD)")
  endif()
  math(EXPR year "${CMAKE_MATCH_1}")
  math(EXPR month "${CMAKE_MATCH_2}")
  math(EXPR day "${CMAKE_MATCH_3}")
  set(day_text "${CMAKE_MATCH_3}")
  if(year LESS 1970 OR month LESS 1 OR month GREATER 12 OR day LESS 1 OR day GREATER 31)
    message(FATAL_ERROR "CHANGELOG.md: '${date}' is not a date (YYYY-MM-DD)")
  endif()
  # Days since 1970-01-01 of the proleptic Gregorian calendar, counting
  # years from March so that February's length only matters at their end.
  if(month LESS_EQUAL 2)
    math(EXPR year "${year} - 1")
    math(EXPR shifted_month "${month} + 9")
  else()
    math(EXPR shifted_month "${month} - 3")
  endif()
  math(EXPR era "${year} / 400")
  math(EXPR year_of_era "${year} - ${era} * 400")
  math(EXPR day_of_year "(153 * ${shifted_month} + 2) / 5 + ${day} - 1")
  math(EXPR day_of_era "${year_of_era} * 365 + ${year_of_era} / 4 - ${year_of_era} / 100 + ${day_of_year}")
  math(EXPR days "${era} * 146097 + ${day_of_era} - 719468")
  math(EXPR epoch "${days} * 86400")
  # 1970-01-01 was a Thursday.
  math(EXPR weekday "(${days} + 4) % 7")
  set(weekday_names Sun Mon Tue Wed Thu Fri Sat)
  set(month_names Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
  list(GET weekday_names ${weekday} weekday_name)
  math(EXPR month_index "${month} - 1")
  list(GET month_names ${month_index} month_name)
  set(${epoch_var} "${epoch}" PARENT_SCOPE)
  # The year as written (January and February moved "year" back by one).
  string(SUBSTRING "${date}" 0 4 year_text)
  set(${rfc_var} "${weekday_name}, ${day_text} ${month_name} ${year_text} 00:00:00 +0000" PARENT_SCOPE)
endfunction()
