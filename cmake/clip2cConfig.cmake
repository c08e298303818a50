# SPDX-License-Identifier: MIT
# find_package(clip2c CONFIG): the clip2c and clip2c-board executables as
# the imported targets clip2c::clip2c and clip2c::clip2c-board, and
# clip2c_add_clip() to convert clips at build time.
#
# In a cross build, find the package of a clip2c installed for the build
# machine: clips are converted while building, so the tool must run there.
if(CMAKE_VERSION VERSION_LESS 3.20)
  set(clip2c_FOUND FALSE)
  set(clip2c_NOT_FOUND_MESSAGE "clip2c's package needs CMake 3.20 or newer; this is ${CMAKE_VERSION}")
  return()
endif()
# The project that finds the package may set older policies; the function
# keeps the ones in force where it is defined.
cmake_policy(PUSH)
cmake_policy(VERSION 3.20)
include("${CMAKE_CURRENT_LIST_DIR}/clip2cTargets.cmake")
include("${CMAKE_CURRENT_LIST_DIR}/clip2cAddClip.cmake")
cmake_policy(POP)
