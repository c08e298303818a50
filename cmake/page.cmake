# SPDX-License-Identifier: MIT
# The browser page, built by the native build when emscripten is there: this
# same source tree configured with emcmake into page/wasm/ (an external
# project, so the module gets its own toolchain whatever the native build's
# is), then web/index.html with everything it loads written into one file,
# page/clip2c.html (cmake/inline_page.cmake). Top-level builds only.
#
# CLIP2C_PAGE: AUTO builds the page when emcmake is found and says once that
# it is left out otherwise; ON requires emscripten; OFF leaves the page out.
# Sets CLIP2C_PAGE_FILE (also in the cache, for the packages test) to the
# page's path, or to "" when there is none.
set(CLIP2C_PAGE AUTO CACHE STRING "Build the browser page with emscripten: AUTO (when emcmake is found), ON, OFF")
set_property(CACHE CLIP2C_PAGE PROPERTY STRINGS AUTO ON OFF)
set(CLIP2C_PAGE_FILE "")
if(CLIP2C_PAGE)
  find_program(CLIP2C_EMCMAKE emcmake)
  mark_as_advanced(CLIP2C_EMCMAKE)
  if(CLIP2C_EMCMAKE)
    set(CLIP2C_PAGE_FILE "${PROJECT_BINARY_DIR}/page/clip2c.html")
  elseif(CLIP2C_PAGE STREQUAL "AUTO")
    message(STATUS "clip2c: the browser page is left out: emscripten's emcmake was not found "
                   "(-DCLIP2C_PAGE=OFF leaves it out without this message)")
  else()
    message(FATAL_ERROR "CLIP2C_PAGE is ON, but emscripten's emcmake was not found: install emscripten, "
                        "name it with -DCLIP2C_EMCMAKE=PATH, or configure with -DCLIP2C_PAGE=OFF")
  endif()
endif()
set(CLIP2C_PAGE_FILE "${CLIP2C_PAGE_FILE}" CACHE INTERNAL "The browser page this build makes; empty: none")
if(NOT CLIP2C_PAGE_FILE)
  return()
endif()

include(ExternalProject)
# Debian's emscripten runs its tools with the system's Node, which finds
# their packages only through NODE_PATH.
if(DEFINED ENV{NODE_PATH})
  set(node_path "$ENV{NODE_PATH}")
else()
  set(node_path /usr/share/nodejs)
endif()
set(wasm_dir "${PROJECT_BINARY_DIR}/page/wasm")
set(core "${wasm_dir}/web/clip2c-core.js")
# BUILD_ALWAYS: the module's own build knows what it depends on and does
# nothing when nothing changed. It runs one job at a time, outside any
# parent make's job server (which it could not join).
ExternalProject_Add(clip2c_page_module
  SOURCE_DIR "${PROJECT_SOURCE_DIR}"
  BINARY_DIR "${wasm_dir}"
  PREFIX "${PROJECT_BINARY_DIR}/page"
  CONFIGURE_COMMAND ${CMAKE_COMMAND} -E env NODE_PATH=${node_path}
    ${CLIP2C_EMCMAKE} ${CMAKE_COMMAND} -S <SOURCE_DIR> -B <BINARY_DIR> -DCMAKE_BUILD_TYPE=MinSizeRel
    -DCLIP2C_INSTALL=OFF -DCLIP2C_WARNINGS_AS_ERRORS=${CLIP2C_WARNINGS_AS_ERRORS}
  BUILD_COMMAND ${CMAKE_COMMAND} -E env --unset=MAKEFLAGS --unset=MAKELEVEL NODE_PATH=${node_path}
    ${CMAKE_COMMAND} --build <BINARY_DIR>
  BUILD_BYPRODUCTS "${core}"
  BUILD_ALWAYS ON
  INSTALL_COMMAND ""
  USES_TERMINAL_BUILD ON)

file(GLOB page_sources CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/web/*.html" "${PROJECT_SOURCE_DIR}/web/*.css"
     "${PROJECT_SOURCE_DIR}/web/*.js")
add_custom_command(OUTPUT "${CLIP2C_PAGE_FILE}"
  COMMAND ${CMAKE_COMMAND} -DPAGE=${PROJECT_SOURCE_DIR}/web/index.html -DWEB_DIR=${PROJECT_SOURCE_DIR}/web
          -DCORE=${core} -DOUTPUT=${CLIP2C_PAGE_FILE} -P ${PROJECT_SOURCE_DIR}/cmake/inline_page.cmake
  DEPENDS ${page_sources} "${core}" clip2c_page_module "${PROJECT_SOURCE_DIR}/cmake/inline_page.cmake"
  COMMENT "Writing the browser page into one file, page/clip2c.html"
  VERBATIM)
add_custom_target(clip2c_page ALL DEPENDS "${CLIP2C_PAGE_FILE}")
