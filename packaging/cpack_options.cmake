# SPDX-License-Identifier: MIT
# Included by cpack once for each package it makes (CPACK_PROJECT_CONFIG_FILE,
# set in cmake/install.cmake), with CPACK_GENERATOR naming that package's
# generator.
#
# Which install components (see cmake/install.cmake) each package holds:
#   .tar.gz  tool + docs: the tree "cmake --install" makes
#   .deb     tool + deb_docs: copyright, changelog.gz, the manual pages
#            gzipped and the lintian override, as Debian's policy wants them
#   .zip     tool + zip_docs: LICENSE, README.md and CHANGELOG.md at the top,
#            beside bin/ (clip2c.exe, clip2c-board.exe and clip2c.html)
# Each package is still one file (CPACK_COMPONENTS_GROUPING
# ALL_COMPONENTS_IN_ONE).
if(CPACK_GENERATOR STREQUAL "DEB")
  set(CPACK_DEB_COMPONENT_INSTALL ON)
  set(CPACK_COMPONENTS_ALL tool deb_docs)
elseif(CPACK_GENERATOR STREQUAL "ZIP")
  set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
  set(CPACK_COMPONENTS_ALL tool zip_docs)
  # Everything inside clip2c-<version>-win64/, as without components.
  set(CPACK_COMPONENT_INCLUDE_TOPLEVEL_DIRECTORY ON)
else()
  set(CPACK_ARCHIVE_COMPONENT_INSTALL OFF)
  set(CPACK_DEB_COMPONENT_INSTALL OFF)
endif()

# Every file in a package bears the release's date (CHANGELOG.md's newest
# entry), not the time it was built, so the same sources give the same
# package bytes; a SOURCE_DATE_EPOCH set by the caller wins.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH} AND CPACK_CLIP2C_SOURCE_DATE_EPOCH)
  set(ENV{SOURCE_DATE_EPOCH} "${CPACK_CLIP2C_SOURCE_DATE_EPOCH}")
endif()
