# find_package(clip2c CONFIG): the clip2c executable as the imported target
# clip2c::clip2c, and clip2c_add_clip() to convert clips at build time.
#
# In a cross build, find the package of a clip2c installed for the build
# machine: clips are converted while building, so the tool must run there.
include("${CMAKE_CURRENT_LIST_DIR}/clip2cTargets.cmake")
include("${CMAKE_CURRENT_LIST_DIR}/clip2cAddClip.cmake")
