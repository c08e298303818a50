# SPDX-License-Identifier: MIT
# clip2c_add_clip(<target> <clip> [SIGNED] [SOURCE] [STORAGE PROGMEM|__flash]
#                 [TARGET c|firmware|progmem|flash] [ENCODING pcm8|ima-adpcm] [NAME <name>] [RATE <hz>]
#                 [NORMALIZE] [TRIM])
# clip2c_add_bank(<target> <bank> CLIPS <clip>... [TARGET ...] [ENCODING ...] [RATE <hz>]
#                 [NORMALIZE] [TRIM] [SIGNED] [SOURCE])
#
# Each call adds one build step that runs clip2c-board (clip2c::clip2c-board)
# on the clips, each relative to the calling CMakeLists.txt's folder or
# absolute: the keywords are its options (TARGET --target, ENCODING
# --encoding, NAME --name, RATE --rate, NORMALIZE --normalize, TRIM --trim,
# SIGNED --signed, a bank's name --bank), and what it writes is what the
# target gets. A clip's header is <name>.h, where <name> is NAME, else the
# clip's file name cut at its last ".raw" (else its last ".wav"); a bank's
# is <bank>.h. It lies in a folder of the build tree that is added to
# <target>'s include directories. SOURCE adds --source with <name>_wave.c
# (<name>_adpcm.c for ENCODING ima-adpcm, <bank>_bank.c for a bank; .cpp
# when C is not enabled), compiled into <target>: the definitions go there
# and the header declares them. STORAGE PROGMEM and STORAGE __flash are
# the targets progmem and flash.
#
# clip2c-board checks the options and the clips: what it refuses fails the
# build with its own lines, and no file of the step is left behind. The
# step runs again whenever a clip, clip2c-board or its command line
# changes (Make and Ninja run a custom command again when its line
# changes), and <target> is compiled only after it. The tool is the
# imported target of an installed package, or the alias that clip2c's own
# CMakeLists.txt defines when it is added as a subproject.
include_guard(GLOBAL)

# Sets <tool_var> to the executable target behind <imported> (an alias is
# resolved) and <emulator_var> to what runs it: nothing, or the
# toolchain's emulator when this cross build builds the tool itself; a
# cross build without one stops configuring, since its tool cannot run
# here. An imported tool (a host tool from find_package) runs as it is.
function(_clip2c_tool imported tool_var emulator_var)
  if(NOT TARGET ${imported})
    message(FATAL_ERROR "clip2c_add_clip: ${imported} is not defined: use find_package(clip2c CONFIG "
                        "REQUIRED) of a clip2c that installs it, or add clip2c's source folder first")
  endif()
  set(emulator "")
  get_target_property(tool ${imported} ALIASED_TARGET)
  if(NOT tool)
    set(tool ${imported})
  endif()
  get_target_property(is_imported ${tool} IMPORTED)
  if(CMAKE_CROSSCOMPILING AND NOT is_imported)
    get_target_property(emulator ${tool} CROSSCOMPILING_EMULATOR)
    if(NOT emulator)
      message(FATAL_ERROR "clip2c_add_clip: this build cross-compiles, so the ${imported} it builds "
                          "cannot convert clips on this machine and the toolchain names no emulator. "
                          "Install clip2c for this machine and find that package before adding clip2c's "
                          "source tree, e.g. -Dclip2c_DIR=<prefix>/lib/cmake/clip2c")
    endif()
  endif()
  set(${tool_var} ${tool} PARENT_SCOPE)
  set(${emulator_var} "${emulator}" PARENT_SCOPE)
endfunction()

# Reads a call's arguments from the <first>th on into arg_*, and sets
# `options` to clip2c-board's options for them, `clips` to the absolute
# paths of the clips in the list <clips_var>, and `out_dir` to <target>'s
# folder of headers. Stops configuring on what CMake itself cannot hand on:
# an unknown keyword, a keyword without its value, a path holding ";"
# (CMake would split it), STORAGE words that name no target, or a target
# that does not exist.
macro(_clip2c_parse function first clips_var)
  cmake_parse_arguments(PARSE_ARGV ${first} arg "SIGNED;SOURCE;NORMALIZE;TRIM"
                        "RATE;TARGET;ENCODING;NAME" "STORAGE;CLIPS")
  string(CONCAT usage "clip2c_add_clip(<target> <clip> [SIGNED] [SOURCE] [STORAGE PROGMEM|__flash] "
         "[TARGET c|firmware|progmem|flash] [ENCODING pcm8|ima-adpcm] [NAME <name>] [RATE <hz>] "
         "[NORMALIZE] [TRIM]), clip2c_add_bank(<target> <bank> CLIPS <clip>... [TARGET ...] "
         "[ENCODING ...] [RATE <hz>] [NORMALIZE] [TRIM] [SIGNED] [SOURCE])")
  if(arg_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "${function}: unexpected arguments: ${arg_UNPARSED_ARGUMENTS} (usage: ${usage})")
  endif()
  if(arg_KEYWORDS_MISSING_VALUES)
    message(FATAL_ERROR "${function}: ${arg_KEYWORDS_MISSING_VALUES} needs a value (usage: ${usage})")
  endif()
  if(DEFINED arg_STORAGE)
    if(DEFINED arg_TARGET OR NOT arg_STORAGE MATCHES "^(PROGMEM|__flash)$")
      message(FATAL_ERROR "${function}: STORAGE takes PROGMEM or __flash, the words of TARGET progmem and "
                          "TARGET flash, not \"${arg_STORAGE}\", and does not go with TARGET")
    endif()
    set(arg_TARGET flash)
    if(arg_STORAGE STREQUAL "PROGMEM")
      set(arg_TARGET progmem)
    endif()
  endif()
  if(NOT TARGET "${target}")
    message(FATAL_ERROR "${function}: there is no target named ${target}")
  endif()
  set(options "")
  foreach(keyword TARGET ENCODING NAME RATE)
    if(DEFINED arg_${keyword})
      string(TOLOWER "--${keyword}" word)
      list(APPEND options ${word} "${arg_${keyword}}")
    endif()
  endforeach()
  foreach(keyword NORMALIZE TRIM SIGNED)
    if(arg_${keyword})
      string(TOLOWER "--${keyword}" word)
      list(APPEND options ${word})
    endif()
  endforeach()
  set(clips "")
  foreach(input IN LISTS ${clips_var})
    get_filename_component(input_path "${input}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
    if(input_path MATCHES ";")
      message(FATAL_ERROR "${function}: ${input}: a path holding \";\" cannot be handed through a build "
                          "command (CMake reads it as a list); rename the folder or the file")
    endif()
    list(APPEND clips "${input_path}")
  endforeach()
  set(out_dir "${CMAKE_CURRENT_BINARY_DIR}/clip2c_clips/${target}")
endmacro()

# Makes <target> build <name>.h in out_dir (and, with SOURCE, <stem>.c, or
# .cpp when only C++ is enabled) by running clip2c-board with `options` on
# `clips`, before it compiles, and see them. Two clips or banks of one
# target may not share a name, since they would write the same header. A
# target of its own carries the command, so the header is made first even
# when <target> was defined in another folder; it is named after <name>
# and a hash of the header's path, which no other clip shares. <target> may
# belong to another folder, which must know that the source is made by the
# build and need not exist yet.
function(_clip2c_generate target function name stem comment)
  get_property(names TARGET "${target}" PROPERTY CLIP2C_CLIP_NAMES)
  if("${name}" IN_LIST names)
    message(FATAL_ERROR "${function}: ${target} already has a clip or a bank named ${name}")
  endif()
  set_property(TARGET "${target}" APPEND PROPERTY CLIP2C_CLIP_NAMES "${name}")
  file(MAKE_DIRECTORY "${out_dir}")
  set(header "${out_dir}/${name}.h")
  set(made "${name}.h")
  set(source "")
  if(arg_SOURCE)
    get_property(languages GLOBAL PROPERTY ENABLED_LANGUAGES)
    if("C" IN_LIST languages)
      set(source "${out_dir}/${stem}.c")
    elseif("CXX" IN_LIST languages)
      set(source "${out_dir}/${stem}.cpp")
    else()
      message(FATAL_ERROR "${function}: ${comment}: SOURCE makes a C or C++ file, and neither C nor CXX "
                          "is enabled here")
    endif()
    list(APPEND options --source "${source}")
    get_filename_component(source_name "${source}" NAME)
    string(APPEND made ", ${source_name}")
  endif()
  _clip2c_tool(clip2c::clip2c-board tool emulator)
  # The folder may have been removed since configuring, and Make does not
  # make an output's folder itself. The old outputs go before the tool
  # runs, so that a refusal leaves none that a later build could take for
  # up to date.
  add_custom_command(
    OUTPUT "${header}" ${source}
    COMMAND "${CMAKE_COMMAND}" -E make_directory "${out_dir}"
    COMMAND "${CMAKE_COMMAND}" -E rm -f "${header}" ${source}
    COMMAND ${emulator} "$<TARGET_FILE:${tool}>" ${options} -o "${header}" ${clips}
    DEPENDS ${clips} ${tool}
    COMMENT "clip2c: ${comment} -> ${made}"
    VERBATIM)
  string(MD5 step "${header}")
  string(SUBSTRING "${step}" 0 12 step)
  string(MAKE_C_IDENTIFIER "clip2c_${name}_${step}" step)
  add_custom_target("${step}" DEPENDS "${header}")
  add_dependencies("${target}" "${step}")
  target_include_directories("${target}" PRIVATE "${out_dir}")
  if(source)
    set_source_files_properties("${source}" TARGET_DIRECTORY "${target}" PROPERTIES GENERATED ON)
    target_sources("${target}" PRIVATE "${source}")
  endif()
endfunction()

function(clip2c_add_clip target clip)
  # The clip as a list of one, whatever it holds.
  string(REPLACE ";" "\\;" clip_list "${clip}")
  _clip2c_parse(clip2c_add_clip 2 clip_list)
  # clip2c-board is always given the name, so that the files' names never
  # depend on the one it would propose. The clip's file name alone tells a
  # raw clip from a WAV file, as in the tools.
  get_filename_component(clip_file "${clip}" NAME)
  if(DEFINED arg_NAME)
    set(name "${arg_NAME}")
  elseif(clip_file MATCHES "^(.*)\\.raw")
    set(name "${CMAKE_MATCH_1}")
  elseif(clip_file MATCHES "^(.*)\\.wav")
    set(name "${CMAKE_MATCH_1}")
  else()
    message(FATAL_ERROR "clip2c_add_clip: ${clip}: the file name holds neither \".raw\" nor \".wav\", "
                        "which is how clip2c-board tells a raw clip from a WAV file")
  endif()
  if(NOT DEFINED arg_NAME)
    list(APPEND options --name "${name}")
  endif()
  set(stem "${name}_wave")
  if(arg_ENCODING STREQUAL "ima-adpcm")
    set(stem "${name}_adpcm")
  endif()
  _clip2c_generate("${target}" clip2c_add_clip "${name}" "${stem}" "${clip}")
endfunction()

function(clip2c_add_bank target bank)
  _clip2c_parse(clip2c_add_bank 2 arg_CLIPS)
  list(PREPEND options --bank "${bank}")
  _clip2c_generate("${target}" clip2c_add_bank "${bank}" "${bank}_bank" "the bank ${bank}")
endfunction()
