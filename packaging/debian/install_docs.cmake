# SPDX-License-Identifier: MIT
# Installs the documentation a Debian package must carry, made from the
# project's own files when the .deb's files are installed (install
# component deb_docs, which cpack installs for the .deb alone):
#
#   <docdir>/copyright         LICENSE as a machine-readable (DEP-5) file
#   <docdir>/changelog.gz      CHANGELOG.md's newest entry as a Debian
#                              changelog (the name a native package uses)
#   <mandir>/man1/clip2c.1.gz  the manual page, compressed
#
# Everything is compressed with "gzip -9n" (no file name, no time stamp)
# and every date comes from CHANGELOG.md, never from the clock, so the same
# sources give the same bytes.
#
# Set by the install rule that includes this file (cmake/install.cmake):
#   CLIP2C_DEB_SOURCE_DIR  the source tree (CHANGELOG.md, LICENSE, doc/)
#   CLIP2C_DEB_WORK_DIR    a folder of the build tree for the files made here
#   CLIP2C_DEB_PACKAGE     the package's name
#   CLIP2C_DEB_VERSION     the version being packaged (PROJECT_VERSION)
#   CLIP2C_DEB_MAINTAINER  "Name <address>", the changelog entry's signature
#   CLIP2C_DEB_GZIP        the gzip program
#   CLIP2C_DEB_DOCDIR, CLIP2C_DEB_MANDIR  destinations below the prefix
include("${CMAKE_CURRENT_LIST_DIR}/../changelog.cmake")

function(clip2c_deb_gzip from to)
  execute_process(COMMAND "${CLIP2C_DEB_GZIP}" -9n -c "${from}" OUTPUT_FILE "${to}" RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "gzip -9n ${from} failed: ${status}")
  endif()
endfunction()

# Local variables stay in the function, out of the install script's scope.
function(clip2c_deb_install_docs)
  if(NOT CLIP2C_DEB_GZIP)
    message(FATAL_ERROR "The .deb needs gzip to compress its changelog and manual page; none was found "
                        "when the build was configured")
  endif()

  # --- changelog.gz ---

  clip2c_read_changelog("${CLIP2C_DEB_SOURCE_DIR}/CHANGELOG.md" version date text)
  if(NOT version STREQUAL CLIP2C_DEB_VERSION)
    message(FATAL_ERROR "CHANGELOG.md's newest entry is '${version}', but the version being packaged "
                        "(project(VERSION) in CMakeLists.txt) is ${CLIP2C_DEB_VERSION}: add an entry "
                        "\"## [${CLIP2C_DEB_VERSION}] - YYYY-MM-DD\" to CHANGELOG.md")
  endif()

  clip2c_changelog_date("${date}" epoch rfc_date)

  # The Markdown entry as change lines: its opening paragraph and each "###"
  # section become "  * " items, the section's "- " items are indented below
  # them, and continuation lines line up with their item's text. Every line
  # grows by 4 columns, so CHANGELOG.md's 76 give the 80 a changelog allows.
  set(changes "\n${text}\n")
  string(REGEX REPLACE "\n  " "\n      " changes "${changes}")
  string(REGEX REPLACE "\n- " "\n    - " changes "${changes}")
  string(REGEX REPLACE "\n\n([^ #\n])" "\n\n  * \\1" changes "${changes}")
  string(REGEX REPLACE "\n([^ #\n])" "\n    \\1" changes "${changes}")
  string(REGEX REPLACE "\n### ([^\n]*)" "\n  * \\1:" changes "${changes}")
  string(REGEX REPLACE "\n\n+" "\n" changes "${changes}")
  string(REGEX REPLACE "^\n+|\n+$" "" changes "${changes}")
  if(NOT changes MATCHES "[^ \n]")
    message(FATAL_ERROR "CHANGELOG.md's entry for ${version} says nothing")
  endif()

  file(MAKE_DIRECTORY "${CLIP2C_DEB_WORK_DIR}")
  file(WRITE "${CLIP2C_DEB_WORK_DIR}/changelog"
    "${CLIP2C_DEB_PACKAGE} (${version}) unstable; urgency=medium\n\n"
    "${changes}\n\n"
    " -- ${CLIP2C_DEB_MAINTAINER}  ${rfc_date}\n")

  # --- copyright ---

  # LICENSE reads "<name> License", its copyright line, then the licence's
  # text; the copyright file carries the same text, each line indented by a
  # space and each empty line written as " .".
  file(READ "${CLIP2C_DEB_SOURCE_DIR}/LICENSE" license)
  string(REGEX MATCH "^([A-Za-z0-9.+-]+) License\n+Copyright \\(c\\) ([^\n]+)\n+" head "${license}")
  if(NOT head)
    message(FATAL_ERROR "LICENSE does not begin with \"<name> License\" and a \"Copyright (c)\" line")
  endif()
  set(license_name "${CMAKE_MATCH_1}")
  set(holder "${CMAKE_MATCH_2}")
  string(LENGTH "${head}" head_length)
  string(SUBSTRING "${license}" ${head_length} -1 license_text)
  string(STRIP "${license_text}" license_text)
  # Twice: two empty lines in a row share a line end, so one pass marks only
  # every other one.
  string(REGEX REPLACE "\n[ \t]*\n" "\n.\n" license_text "${license_text}")
  string(REGEX REPLACE "\n[ \t]*\n" "\n.\n" license_text "${license_text}")
  string(REPLACE "\n" "\n " license_text " ${license_text}")

  file(WRITE "${CLIP2C_DEB_WORK_DIR}/copyright"
    "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
    "Upstream-Name: ${CLIP2C_DEB_PACKAGE}\n"
    "Upstream-Contact: ${CLIP2C_DEB_MAINTAINER}\n"
    "\n"
    "Files: *\n"
    "Copyright: ${holder}\n"
    "License: ${license_name}\n"
    "${license_text}\n")

  # --- compressing and installing ---

  clip2c_deb_gzip("${CLIP2C_DEB_WORK_DIR}/changelog" "${CLIP2C_DEB_WORK_DIR}/changelog.gz")
  clip2c_deb_gzip("${CLIP2C_DEB_SOURCE_DIR}/doc/clip2c.1" "${CLIP2C_DEB_WORK_DIR}/clip2c.1.gz")

  set(mode OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
  file(INSTALL "${CLIP2C_DEB_WORK_DIR}/copyright" "${CLIP2C_DEB_WORK_DIR}/changelog.gz"
       DESTINATION "${CMAKE_INSTALL_PREFIX}/${CLIP2C_DEB_DOCDIR}" FILE_PERMISSIONS ${mode})
  file(INSTALL "${CLIP2C_DEB_WORK_DIR}/clip2c.1.gz"
       DESTINATION "${CMAKE_INSTALL_PREFIX}/${CLIP2C_DEB_MANDIR}/man1" FILE_PERMISSIONS ${mode})
endfunction()

clip2c_deb_install_docs()
