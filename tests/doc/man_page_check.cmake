# SPDX-License-Identifier: MIT
# Typesets the manual page with every groff warning enabled and fails on any
# diagnostic, for the default device (PostScript, no Japanese glyphs: the
# English stand-ins are used) and for -Tutf8 (the Japanese texts are used),
# so both sets of the page's strings are checked.
#
#   cmake -DGROFF=/usr/bin/groff -DPAGE=doc/clip2c.1 -P man_page_check.cmake
if(NOT GROFF OR NOT PAGE)
  message(FATAL_ERROR "usage: cmake -DGROFF=<groff> -DPAGE=<page> -P man_page_check.cmake")
endif()
if(NOT EXISTS "${PAGE}")
  message(FATAL_ERROR "no manual page at ${PAGE}")
endif()

set(failed FALSE)
foreach(device IN ITEMS default utf8)
  set(command "${GROFF}" -man -ww -z)
  if(NOT device STREQUAL "default")
    list(APPEND command "-T${device}")
  endif()
  execute_process(COMMAND ${command} "${PAGE}"
                  RESULT_VARIABLE status
                  OUTPUT_VARIABLE output
                  ERROR_VARIABLE diagnostics)
  if(NOT status EQUAL 0 OR NOT diagnostics STREQUAL "")
    message(SEND_ERROR "groff (${device} device) exited with ${status}:\n${diagnostics}")
    set(failed TRUE)
  endif()
endforeach()
if(failed)
  message(FATAL_ERROR "the manual page is not clean")
endif()
