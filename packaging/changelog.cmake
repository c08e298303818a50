# SPDX-License-Identifier: MIT
# Reads CHANGELOG.md's newest released entry (the first "## [1.2.3] -
# 2026-12-08" heading; "## [Unreleased]" is passed over), which must be
# project(VERSION). Its date, midnight UTC, becomes the packages'
# SOURCE_DATE_EPOCH (CPACK_CLIP2C_SOURCE_DATE_EPOCH; see
# cpack_options.cmake). Outside Windows its text becomes debian/changelog in
# the build folder, each line indented by two spaces and signed with that
# date. When the entry does not match, configuring warns and the .deb cannot
# be made (debian/changelog is missing).
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS CHANGELOG.md)
file(READ CHANGELOG.md clip2c_changelog)
file(REMOVE "${CMAKE_CURRENT_BINARY_DIR}/debian/changelog")
if(NOT "\n${clip2c_changelog}" MATCHES "\n## \\[([0-9][^]\n]*)\\] - ([0-9-]+)[ \t]*\n(.*)"
   OR NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
  message(WARNING "CHANGELOG.md's newest entry is '${CMAKE_MATCH_1}', not ${PROJECT_VERSION} "
                  "(project(VERSION)): cpack cannot make the .deb until CHANGELOG.md has an entry for it")
  return()
endif()
# The date is kept before the next regex resets CMAKE_MATCH_<n>.
set(clip2c_release_date "${CMAKE_MATCH_2}")
# The entry ends at the next "## " heading or the link definitions.
string(REGEX REPLACE "\n(## |\\[[^]\n]*\\]: ).*" "" clip2c_changelog "${CMAKE_MATCH_3}")

# GNU date reads the date. Where there is none (Windows), the packages bear
# the time they are made.
execute_process(COMMAND "${CMAKE_COMMAND}" -E env LC_ALL=C date -u -d "${clip2c_release_date}"
                        "+%s;%a, %d %b %Y %H:%M:%S +0000"
                OUTPUT_VARIABLE clip2c_stamp OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
if(NOT clip2c_stamp MATCHES "^([0-9]+);(.+)$")
  return()
endif()
set(CPACK_CLIP2C_SOURCE_DATE_EPOCH "${CMAKE_MATCH_1}")
set(clip2c_changelog_date "${CMAKE_MATCH_2}")
if(NOT WIN32)
  string(REGEX REPLACE "\n([^\n])" "\n  \\1" clip2c_changelog "${clip2c_changelog}")
  string(REGEX REPLACE "^\n+|\n+$" "" clip2c_changelog "${clip2c_changelog}")
  file(WRITE "${CMAKE_CURRENT_BINARY_DIR}/debian/changelog"
    "${PROJECT_NAME} (${PROJECT_VERSION}) unstable; urgency=medium\n\n${clip2c_changelog}\n\n"
    " -- ${CPACK_PACKAGE_CONTACT}  ${clip2c_changelog_date}\n")
endif()
