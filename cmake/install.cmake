# SPDX-License-Identifier: MIT
# Install rules and packages: the tool, its man page and README, and a CMake
# package (clip2cConfig.cmake) that defines clip2c::clip2c and
# clip2c_add_clip() for find_package(clip2c CONFIG).
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(CLIP2C_PACKAGE_DIR "${CMAKE_INSTALL_LIBDIR}/cmake/clip2c")

install(TARGETS clip2c EXPORT clip2cTargets RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
install(FILES doc/clip2c.1 DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")
install(FILES README.md DESTINATION "${CMAKE_INSTALL_DOCDIR}")

install(EXPORT clip2cTargets NAMESPACE clip2c:: DESTINATION "${CLIP2C_PACKAGE_DIR}")
# The package holds a program, not a library: a 64-bit tool serves a build
# for a 32-bit target just as well, so the version check ignores the
# pointer size of the project that asks for it.
write_basic_package_version_file("${CMAKE_CURRENT_BINARY_DIR}/clip2cConfigVersion.cmake"
  COMPATIBILITY SameMajorVersion ARCH_INDEPENDENT)
install(FILES
  cmake/clip2cConfig.cmake
  cmake/clip2cAddClip.cmake
  "${CMAKE_CURRENT_BINARY_DIR}/clip2cConfigVersion.cmake"
  DESTINATION "${CLIP2C_PACKAGE_DIR}")

# cpack: a .tar.gz and a .deb natively, a .zip for Windows.
set(CPACK_PACKAGE_NAME clip2c)
set(CPACK_PACKAGE_VENDOR "clip2c developers")
set(CPACK_PACKAGE_CONTACT "clip2c developers <maintainers@users.noreply.c-seed-c86781ec.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_RESOURCE_FILE_README "${PROJECT_SOURCE_DIR}/README.md")
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
