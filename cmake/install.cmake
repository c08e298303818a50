# SPDX-License-Identifier: MIT
# Install rules and packages: the tool, its man page, README, changelog and
# licence, and a CMake package (clip2cConfig.cmake) that defines
# clip2c::clip2c and clip2c_add_clip() for find_package(clip2c CONFIG).
#
# The packages carry the documentation each in its own way, so every rule
# names one of these install components:
#   tool      bin/clip2c and the CMake package: every package
#   docs      README.md, CHANGELOG.md, LICENSE and the man page as they are:
#             "cmake --install" and the .tar.gz
#   deb_docs  what Debian's policy asks for instead (copyright, changelog.gz,
#             the man page gzipped) and the lintian override: the .deb only
#   zip_docs  LICENSE, README.md and CHANGELOG.md at the top of the .zip,
#             where a Windows user looks first: the .zip only
# The last two are left out of a plain install (EXCLUDE_FROM_ALL);
# packaging/cpack_options.cmake gives each package its components.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)
include(${PROJECT_SOURCE_DIR}/packaging/changelog.cmake)

set(CLIP2C_PACKAGE_DIR "${CMAKE_INSTALL_LIBDIR}/cmake/clip2c")
set(CPACK_PACKAGE_CONTACT "clip2c developers <maintainers@users.noreply.c-seed-c86781ec.example>")

install(TARGETS clip2c EXPORT clip2cTargets RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}" COMPONENT tool)
if(CMAKE_SYSTEM_NAME STREQUAL "Linux" AND CMAKE_STRIP)
  # A stripped install (the packages, "cmake --install --strip") also drops
  # the compilers' version strings, as Debian's own packages do.
  install(CODE "
    if(CMAKE_INSTALL_DO_STRIP)
      execute_process(COMMAND [==[${CMAKE_STRIP}]==] --remove-section=.comment --remove-section=.note
        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/$<TARGET_FILE_NAME:clip2c>\"
        RESULT_VARIABLE status)
      if(NOT status EQUAL 0)
        message(FATAL_ERROR \"Removing clip2c's .comment and .note sections failed: \${status}\")
      endif()
    endif()" COMPONENT tool)
endif()

install(EXPORT clip2cTargets NAMESPACE clip2c:: DESTINATION "${CLIP2C_PACKAGE_DIR}" COMPONENT tool)
# The package holds a program, not a library: a 64-bit tool serves a build
# for a 32-bit target just as well, so the version check ignores the
# pointer size of the project that asks for it.
write_basic_package_version_file("${CMAKE_CURRENT_BINARY_DIR}/clip2cConfigVersion.cmake"
  COMPATIBILITY SameMajorVersion ARCH_INDEPENDENT)
install(FILES
  cmake/clip2cConfig.cmake
  cmake/clip2cAddClip.cmake
  "${CMAKE_CURRENT_BINARY_DIR}/clip2cConfigVersion.cmake"
  DESTINATION "${CLIP2C_PACKAGE_DIR}" COMPONENT tool)

install(FILES README.md CHANGELOG.md LICENSE DESTINATION "${CMAKE_INSTALL_DOCDIR}" COMPONENT docs)
install(FILES doc/clip2c.1 DESTINATION "${CMAKE_INSTALL_MANDIR}/man1" COMPONENT docs)

# The packages take their version from project(); CHANGELOG.md's newest
# entry must be that version, since the .deb's changelog is made from it,
# and its date is the packages' (see packaging/cpack_options.cmake).
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS CHANGELOG.md)
clip2c_read_changelog("${PROJECT_SOURCE_DIR}/CHANGELOG.md" CLIP2C_CHANGELOG_VERSION CLIP2C_CHANGELOG_DATE
                      CLIP2C_CHANGELOG_TEXT)
if(CLIP2C_CHANGELOG_VERSION STREQUAL PROJECT_VERSION)
  clip2c_changelog_date("${CLIP2C_CHANGELOG_DATE}" CPACK_CLIP2C_SOURCE_DATE_EPOCH CLIP2C_CHANGELOG_RFC_DATE)
else()
  message(WARNING "CHANGELOG.md's newest entry is '${CLIP2C_CHANGELOG_VERSION}', not ${PROJECT_VERSION} "
                  "(project(VERSION)): cpack cannot make the .deb until CHANGELOG.md has an entry for it")
endif()

if(WIN32)
  install(FILES README.md CHANGELOG.md LICENSE DESTINATION . COMPONENT zip_docs EXCLUDE_FROM_ALL)
else()
  install(FILES README.md DESTINATION "${CMAKE_INSTALL_DOCDIR}" COMPONENT deb_docs EXCLUDE_FROM_ALL)
  # copyright, changelog.gz and the man page gzipped, made while installing
  # (see the script) so that a build never needs gzip or a current
  # CHANGELOG.md; only making the .deb does.
  find_program(CLIP2C_GZIP gzip)
  mark_as_advanced(CLIP2C_GZIP)
  install(CODE "
    set(CLIP2C_DEB_SOURCE_DIR [==[${PROJECT_SOURCE_DIR}]==])
    set(CLIP2C_DEB_WORK_DIR [==[${CMAKE_CURRENT_BINARY_DIR}/debian-docs]==])
    set(CLIP2C_DEB_PACKAGE [==[${PROJECT_NAME}]==])
    set(CLIP2C_DEB_VERSION [==[${PROJECT_VERSION}]==])
    set(CLIP2C_DEB_MAINTAINER [==[${CPACK_PACKAGE_CONTACT}]==])
    set(CLIP2C_DEB_GZIP [==[${CLIP2C_GZIP}]==])
    set(CLIP2C_DEB_DOCDIR [==[${CMAKE_INSTALL_DOCDIR}]==])
    set(CLIP2C_DEB_MANDIR [==[${CMAKE_INSTALL_MANDIR}]==])
    include([==[${PROJECT_SOURCE_DIR}/packaging/debian/install_docs.cmake]==])
  " COMPONENT deb_docs EXCLUDE_FROM_ALL)
  # The static executable is a choice (see CMakeLists.txt); the override
  # that tells lintian so ships only with a static executable.
  get_target_property(CLIP2C_LINK_OPTIONS clip2c LINK_OPTIONS)
  if("-static" IN_LIST CLIP2C_LINK_OPTIONS)
    install(FILES packaging/debian/lintian-overrides RENAME ${PROJECT_NAME}
            DESTINATION "${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides" COMPONENT deb_docs EXCLUDE_FROM_ALL)
  endif()
endif()

# cpack: a .tar.gz and a .deb natively, a .zip for Windows.
set(CPACK_PACKAGE_NAME clip2c)
set(CPACK_PACKAGE_VENDOR "clip2c developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_RESOURCE_FILE_README "${PROJECT_SOURCE_DIR}/README.md")
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
# Release packages hold a stripped executable.
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_PROJECT_CONFIG_FILE "${PROJECT_SOURCE_DIR}/packaging/cpack_options.cmake")
set(CPACK_PACKAGE_CHECKSUM SHA256)
set(CPACK_VERBATIM_VARIABLES ON)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(CPACK_SYSTEM_NAME win64)
  else()
    set(CPACK_SYSTEM_NAME win32)
  endif()
else()
  set(CPACK_GENERATOR TGZ DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION devel)
  string(CONCAT CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "clip2c turns a headerless .raw file or an 8-bit mono WAV file into C\n"
    "source text: one constant array of decimal samples. Its CMake package\n"
    "converts clips at build time with clip2c_add_clip().")
  # The run-time libraries the program needs, if it is not linked statically.
  find_program(CLIP2C_DPKG_SHLIBDEPS dpkg-shlibdeps)
  mark_as_advanced(CLIP2C_DPKG_SHLIBDEPS)
  if(CLIP2C_DPKG_SHLIBDEPS)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  endif()
endif()
include(CPack)
