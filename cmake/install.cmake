# SPDX-License-Identifier: MIT
# Install rules and packages: the tool and clip2c-board, their man pages,
# README, changelog and licence, and a CMake package (clip2cConfig.cmake)
# that defines clip2c::clip2c, clip2c::clip2c-board and clip2c_add_clip()
# for find_package(clip2c CONFIG).
#
# Every rule names one of these install components, since the packages
# carry the documentation each in its own way:
#   tool      bin/clip2c, bin/clip2c-board, the CMake package and the
#             browser page when the build makes it (cmake/page.cmake):
#             share/clip2c/clip2c.html, on Windows bin/clip2c.html beside
#             clip2c.exe, where a user finds it. Every package
#   docs      README.md, CHANGELOG.md, LICENSE and the man pages as they are:
#             "cmake --install" and the .tar.gz
#   deb_docs  what Debian's policy asks for instead (packaging/debian/):
#             the .deb only
#   zip_docs  LICENSE, README.md and CHANGELOG.md at the top of the .zip,
#             where a Windows user looks first: the .zip only
# The last two are left out of a plain install (EXCLUDE_FROM_ALL);
# packaging/cpack_options.cmake gives each package its components.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(CLIP2C_PACKAGE_DIR "${CMAKE_INSTALL_LIBDIR}/cmake/clip2c")
install(TARGETS clip2c clip2c-board EXPORT clip2cTargets RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}"
        COMPONENT tool)
if(CMAKE_SYSTEM_NAME STREQUAL "Linux" AND CMAKE_STRIP)
  # A stripped install (the packages, "cmake --install --strip") also drops
  # the compilers' version strings, as Debian's own packages do.
  foreach(program IN ITEMS clip2c clip2c-board)
    install(CODE "if(CMAKE_INSTALL_DO_STRIP)
      execute_process(COMMAND [==[${CMAKE_STRIP}]==] --remove-section=.comment --remove-section=.note
        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/$<TARGET_FILE_NAME:${program}>\"
        COMMAND_ERROR_IS_FATAL ANY)
    endif()" COMPONENT tool)
  endforeach()
endif()
install(EXPORT clip2cTargets NAMESPACE clip2c:: DESTINATION "${CLIP2C_PACKAGE_DIR}" COMPONENT tool)
# The package holds a program, not a library: a 64-bit tool serves a build
# for a 32-bit target just as well, so the version check ignores the
# pointer size of the project that asks for it.
write_basic_package_version_file("${CMAKE_CURRENT_BINARY_DIR}/clip2cConfigVersion.cmake"
  COMPATIBILITY SameMajorVersion ARCH_INDEPENDENT)
install(FILES cmake/clip2cConfig.cmake cmake/clip2cAddClip.cmake
  "${CMAKE_CURRENT_BINARY_DIR}/clip2cConfigVersion.cmake" DESTINATION "${CLIP2C_PACKAGE_DIR}" COMPONENT tool)

if(CLIP2C_PAGE_FILE)
  if(WIN32)
    set(page_dir "${CMAKE_INSTALL_BINDIR}")
  else()
    set(page_dir "${CMAKE_INSTALL_DATADIR}/clip2c")
  endif()
  install(FILES "${CLIP2C_PAGE_FILE}" DESTINATION "${page_dir}" COMPONENT tool)
endif()

install(FILES README.md CHANGELOG.md LICENSE DESTINATION "${CMAKE_INSTALL_DOCDIR}" COMPONENT docs)
install(FILES doc/clip2c.1 doc/clip2c-board.1 DESTINATION "${CMAKE_INSTALL_MANDIR}/man1" COMPONENT docs)

set(CPACK_PACKAGE_CONTACT "clip2c developers <maintainers@users.noreply.c-seed-c86781ec.example>")
include(packaging/changelog.cmake)
if(WIN32)
  install(FILES README.md CHANGELOG.md LICENSE DESTINATION . COMPONENT zip_docs EXCLUDE_FROM_ALL)
else()
  # The copyright file is LICENSE as a machine-readable (DEP-5) file; the
  # packages test checks that the two agree. changelog.gz and the man page
  # are compressed while installing, so that only making the .deb needs gzip.
  install(FILES README.md packaging/debian/copyright DESTINATION "${CMAKE_INSTALL_DOCDIR}"
          COMPONENT deb_docs EXCLUDE_FROM_ALL)
  find_program(CLIP2C_GZIP gzip)
  mark_as_advanced(CLIP2C_GZIP)
  configure_file(packaging/debian/install_docs.cmake.in debian/install_docs.cmake @ONLY)
  install(SCRIPT "${CMAKE_CURRENT_BINARY_DIR}/debian/install_docs.cmake" COMPONENT deb_docs EXCLUDE_FROM_ALL)
  # The overrides tell lintian that a static executable is on purpose and
  # that the page is no documentation; each only when it applies, since
  # lintian reports an override that matches nothing.
  set(overrides "")
  if(CLIP2C_LINKED_STATICALLY)
    list(APPEND overrides packaging/debian/lintian-overrides)
  endif()
  if(CLIP2C_PAGE_FILE)
    list(APPEND overrides packaging/debian/lintian-overrides-page)
  endif()
  if(overrides)
    set(text "")
    foreach(file IN LISTS overrides)
      file(READ ${file} part)
      string(APPEND text "${part}")
      set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${file})
    endforeach()
    file(WRITE "${CMAKE_CURRENT_BINARY_DIR}/debian/lintian-overrides" "${text}")
    install(FILES "${CMAKE_CURRENT_BINARY_DIR}/debian/lintian-overrides" RENAME ${PROJECT_NAME}
            DESTINATION "${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides" COMPONENT deb_docs EXCLUDE_FROM_ALL)
  endif()
endif()

# cpack: a .tar.gz and a .deb natively, a .zip for Windows.
set(CPACK_PACKAGE_NAME clip2c)
set(CPACK_PACKAGE_VENDOR "clip2c developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_RESOURCE_FILE_README "${PROJECT_SOURCE_DIR}/README.md")
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
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
    "source text: one constant array of decimal samples. clip2c-board makes\n"
    "such a clip for a board from any PCM WAV file or raw clip: mixed to mono,\n"
    "resampled and made 8-bit when need be. Its CMake package converts clips\n"
    "at build time with clip2c_add_clip().")
  # A dynamic executable's run-time libraries, when dpkg-dev is there.
  find_program(CLIP2C_DPKG_SHLIBDEPS dpkg-shlibdeps)
  mark_as_advanced(CLIP2C_DPKG_SHLIBDEPS)
  if(CLIP2C_DPKG_SHLIBDEPS AND NOT CLIP2C_LINKED_STATICALLY)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  endif()
endif()
include(CPack)
