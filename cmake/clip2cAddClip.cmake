# SPDX-License-Identifier: MIT
# clip2c_add_clip(<target> <clip> [SIGNED] [SOURCE] [STORAGE <words>...])
#
# Converts <clip> (a .raw or .wav file; relative to the calling
# CMakeLists.txt's folder, or absolute) at build time into <name>.h, where
# <name> is the clip's file name cut at its last ".raw" (else its last
# ".wav"), as clip2c names its default output. The header lies in a folder
# of the build tree that is added to <target>'s include directories, so a
# source of <target> writes #include "<name>.h". SIGNED writes signed values
# (clip2c /SIGNED).
#
# Without SOURCE the header is clip2c's text: it defines the array
# <name>_wave. With SOURCE the array is defined once, in <name>_wave.c
# (<name>_wave.cpp when C is not enabled) compiled into <target>: clip2c's
# text unchanged after an #include of the header, which declares
# extern const unsigned char <name>_wave[N]; (const char with SIGNED) with
# an include guard and C linkage for C++, so any number of C and C++ files
# may include it. STORAGE <words> (SOURCE only) puts the words beside const
# in both, e.g. __flash (avr-gcc, C) or PROGMEM (avr-libc; the header then
# includes <avr/pgmspace.h>).
#
# The files are made again whenever the clip or the clip2c executable
# changes, and <target> is compiled only after they exist. The tool is
# clip2c::clip2c: the imported target of an installed package, or the alias
# that clip2c's own CMakeLists.txt defines when it is added as a subproject.
include_guard(GLOBAL)

# Run as a script (cmake -P) at build time: converts one clip, quietly. The
# banner clip2c prints on every run stays out of the build log; when the
# conversion fails, the message names the clip and shows what clip2c said.
# With CLIP2C_SOURCE set, clip2c writes that file, which is then made into
# the definition, and CLIP2C_HEADER into the declaration.
if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  # The folder is made at configure time too, but may have been removed
  # since, and Make does not make an output's folder itself.
  get_filename_component(header_dir "${CLIP2C_HEADER}" DIRECTORY)
  file(MAKE_DIRECTORY "${header_dir}")
  execute_process(COMMAND ${CLIP2C_EMULATOR} "${CLIP2C_TOOL}" ${CLIP2C_ARGUMENTS}
    RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT status EQUAL 0)
    # clip2c's messages are Japanese (Shift_JIS); their ASCII words tell
    # which one it printed after its banner line (app/console_texts.h).
    string(FIND "${output}" "\n" banner_end)
    set(said "")
    if(banner_end GREATER_EQUAL 0)
      string(SUBSTRING "${output}" ${banner_end} -1 said)
      string(STRIP "${said}" said)
    endif()
    if(said MATCHES "^wav.*8bit")
      set(reason "the WAV file is mono but not 8-bit")
    elseif(said MATCHES "^wav")
      set(reason "the WAV file is not mono, or is no WAVE file, or has no \"fmt \" chunk")
    elseif(said STREQUAL "")
      set(reason "the clip is missing, empty or unreadable, or the header could not be written")
    else()
      set(reason "it printed, in Shift_JIS: ${said}")
    endif()
    # Whatever a failed run left (a header cut short by a full disk) must not
    # count as up to date in the next build.
    file(REMOVE "${CLIP2C_HEADER}" "${CLIP2C_SOURCE}")
    message(FATAL_ERROR "clip2c could not convert ${CLIP2C_CLIP}: ${reason} (exit status ${status})")
  endif()
  if(CLIP2C_SOURCE)
    file(READ "${CLIP2C_SOURCE}" text)
    string(REGEX MATCH "^const (unsigned char|char) ([A-Za-z0-9_]+)\\[([0-9]+)\\]" declaration "${text}")
    if(NOT declaration)
      file(REMOVE "${CLIP2C_SOURCE}")
      message(FATAL_ERROR "clip2c could not convert ${CLIP2C_CLIP}: its text begins with no declaration")
    endif()
    set(type "${CMAKE_MATCH_1}")
    set(array "${CMAKE_MATCH_2}[${CMAKE_MATCH_3}]")
    get_filename_component(header_name "${CLIP2C_HEADER}" NAME)
    get_filename_component(source_name "${CLIP2C_SOURCE}" NAME)
    get_filename_component(clip_name "${CLIP2C_CLIP}" NAME)
    string(MAKE_C_IDENTIFIER "CLIP2C_${header_name}" guard)
    string(TOUPPER "${guard}" guard)
    set(words "")
    set(include "")
    if(CLIP2C_STORAGE)
      string(REPLACE ";" " " words " ${CLIP2C_STORAGE}")
      if(" ${CLIP2C_STORAGE} " MATCHES "[ ;]PROGMEM[ ;]")
        set(include "#include <avr/pgmspace.h>\n")
      endif()
    endif()
    file(WRITE "${CLIP2C_HEADER}"
      "/* Made by clip2c_add_clip from ${clip_name}: the array that ${source_name} defines. */\n"
      "#ifndef ${guard}\n#define ${guard}\n${include}\n"
      "#ifdef __cplusplus\nextern \"C\" {\n#endif\n\n"
      "extern const${words} ${type} ${array};\n\n"
      "#ifdef __cplusplus\n}\n#endif\n\n#endif\n")
    # The header comes first, so the compiler checks that the two agree and,
    # in C++, gives the definition the declaration's external C linkage.
    # STORAGE reaches the text's one "const" through a macro, which leaves
    # clip2c's text as it is; clang's warning about the macro is beside the
    # point here.
    set(before "/* Made by clip2c_add_clip from ${clip_name}. */\n#include \"${header_name}\"\n\n")
    set(after "")
    if(CLIP2C_STORAGE)
      string(APPEND before "#ifdef __clang__\n#pragma clang diagnostic ignored \"-Wkeyword-macro\"\n"
                           "#pragma clang diagnostic ignored \"-Wdisabled-macro-expansion\"\n#endif\n"
                           "#define const const${words}\n")
      set(after "#undef const\n")
    endif()
    file(WRITE "${CLIP2C_SOURCE}" "${before}${text}${after}")
  endif()
  return()
endif()

function(clip2c_add_clip target clip)
  cmake_parse_arguments(PARSE_ARGV 2 arg "SIGNED;SOURCE" "" "STORAGE")
  if(arg_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "clip2c_add_clip: unexpected arguments: ${arg_UNPARSED_ARGUMENTS} "
                        "(usage: clip2c_add_clip(<target> <clip> [SIGNED] [SOURCE] [STORAGE <words>]))")
  endif()
  if(DEFINED arg_STORAGE OR "STORAGE" IN_LIST arg_KEYWORDS_MISSING_VALUES)
    if(NOT arg_SOURCE)
      message(FATAL_ERROR "clip2c_add_clip: STORAGE needs SOURCE: without it the header defines the "
                          "array as clip2c writes it, and there is no declaration to put the words in")
    endif()
    if(NOT arg_STORAGE)
      message(FATAL_ERROR "clip2c_add_clip: STORAGE needs the words to put beside const, e.g. __flash")
    endif()
  endif()
  if(NOT TARGET "${target}")
    message(FATAL_ERROR "clip2c_add_clip: there is no target named ${target}")
  endif()
  if(NOT TARGET clip2c::clip2c)
    message(FATAL_ERROR "clip2c_add_clip: clip2c::clip2c is not defined: "
                        "use find_package(clip2c CONFIG REQUIRED) or add clip2c's source folder first")
  endif()

  get_filename_component(clip_path "${clip}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
  if(clip_path MATCHES ";")
    message(FATAL_ERROR "clip2c_add_clip: ${clip}: a path holding \";\" cannot be handed through a "
                        "build command (CMake reads it as a list); rename the folder or the file")
  endif()
  get_filename_component(clip_file "${clip_path}" NAME)

  # The tool is handed the file name alone, so the name here and the one it
  # gives the array come from the same text, whatever the folders are called.
  string(FIND "${clip_file}" ".raw" cut REVERSE)
  if(cut EQUAL -1)
    string(FIND "${clip_file}" ".wav" cut REVERSE)
  endif()
  if(cut EQUAL -1)
    message(FATAL_ERROR "clip2c_add_clip: ${clip}: the file name holds neither \".raw\" nor \".wav\", "
                        "which is how clip2c tells a raw clip from a WAV file")
  endif()
  string(SUBSTRING "${clip_file}" 0 ${cut} name)
  if(NOT name MATCHES "^[A-Za-z_][A-Za-z0-9_]*$")
    message(FATAL_ERROR "clip2c_add_clip: ${clip}: the array would be named \"${name}_wave\", which is "
                        "not a C identifier, so the header would not compile; give the file a name "
                        "made of letters, digits and underscores that does not begin with a digit")
  endif()

  # One folder of headers per target; two clips of one target may not share
  # a name, since they would write the same header.
  set(out_dir "${CMAKE_CURRENT_BINARY_DIR}/clip2c_clips/${target}")
  get_property(names TARGET "${target}" PROPERTY CLIP2C_CLIP_NAMES)
  if("${name}" IN_LIST names)
    message(FATAL_ERROR "clip2c_add_clip: ${clip}: ${target} already has a clip named ${name}")
  endif()
  set_property(TARGET "${target}" APPEND PROPERTY CLIP2C_CLIP_NAMES "${name}")
  file(MAKE_DIRECTORY "${out_dir}")
  set(header "${out_dir}/${name}.h")
  set(written "${header}")
  set(made "${name}.h")
  set(source "")
  if(arg_SOURCE)
    get_property(languages GLOBAL PROPERTY ENABLED_LANGUAGES)
    if("C" IN_LIST languages)
      set(source "${out_dir}/${name}_wave.c")
    elseif("CXX" IN_LIST languages)
      set(source "${out_dir}/${name}_wave.cpp")
    else()
      message(FATAL_ERROR "clip2c_add_clip: ${clip}: SOURCE makes a C or C++ file, and neither C nor CXX "
                          "is enabled here")
    endif()
    set(written "${source}")
    get_filename_component(source_name "${source}" NAME)
    string(APPEND made ", ${source_name}")
  endif()

  # clip2c takes every argument that begins with "/" or "-" as an option, so
  # it runs in the clip's folder and gets relative paths. The folders are
  # resolved first, so that a symbolic link in either path cannot make ".."
  # lead somewhere else. A path that has no relative form (another drive on
  # Windows) is given in the native form, which begins with a drive letter
  # or a backslash.
  get_filename_component(clip_dir "${clip_path}" DIRECTORY)
  file(REAL_PATH "${clip_dir}" clip_dir_real)
  file(REAL_PATH "${out_dir}" out_dir_real)
  get_filename_component(written_name "${written}" NAME)
  file(RELATIVE_PATH output_arg "${clip_dir_real}" "${out_dir_real}/${written_name}")
  if(IS_ABSOLUTE "${output_arg}")
    file(TO_NATIVE_PATH "${output_arg}" output_arg)
  else()
    set(output_arg "./${output_arg}")
  endif()

  # "-SIGNED" rather than "/SIGNED": the tool takes both, and MSYS would
  # turn an argument beginning with "/" into a Windows path.
  set(arguments "${clip_file}" "${output_arg}")
  if(arg_SIGNED)
    list(PREPEND arguments "-SIGNED")
  endif()

  # The tool runs through this file's script mode (at its top), which keeps
  # its banner out of the build log and names the clip and the reason when
  # the conversion fails. A tool built in this cross build runs under the
  # build's emulator; an imported one (a host tool from find_package) runs
  # as it is.
  set(emulator "")
  get_target_property(tool clip2c::clip2c ALIASED_TARGET)
  if(NOT tool)
    set(tool clip2c::clip2c)
  endif()
  get_target_property(imported ${tool} IMPORTED)
  if(CMAKE_CROSSCOMPILING AND NOT imported)
    get_target_property(emulator ${tool} CROSSCOMPILING_EMULATOR)
    if(NOT emulator)
      message(FATAL_ERROR "clip2c_add_clip: this build cross-compiles, so the clip2c it builds cannot "
                          "convert clips on this machine and the toolchain names no emulator. Install "
                          "clip2c for this machine and find that package before adding clip2c's source "
                          "tree, e.g. -Dclip2c_DIR=<prefix>/lib/cmake/clip2c")
    endif()
  endif()

  add_custom_command(
    OUTPUT "${header}" ${source}
    COMMAND "${CMAKE_COMMAND}"
            "-DCLIP2C_EMULATOR=${emulator}" "-DCLIP2C_TOOL=$<TARGET_FILE:${tool}>"
            "-DCLIP2C_ARGUMENTS=${arguments}" "-DCLIP2C_CLIP=${clip_path}" "-DCLIP2C_HEADER=${header}"
            "-DCLIP2C_SOURCE=${source}" "-DCLIP2C_STORAGE=${arg_STORAGE}"
            -P "${CMAKE_CURRENT_FUNCTION_LIST_FILE}"
    DEPENDS "${clip_path}" ${tool} "${CMAKE_CURRENT_FUNCTION_LIST_FILE}"
    WORKING_DIRECTORY "${clip_dir_real}"
    COMMENT "clip2c: ${clip} -> ${made}"
    VERBATIM)
  # A target of its own carries the command, so the header is made before
  # <target> compiles even when <target> was defined in another folder.
  # Named after the header's path, which no other clip shares.
  string(MD5 step "${header}")
  string(SUBSTRING "${step}" 0 12 step)
  set(step "clip2c_${name}_${step}")
  add_custom_target("${step}" DEPENDS "${header}")
  add_dependencies("${target}" "${step}")
  target_include_directories("${target}" PRIVATE "${out_dir}")
  if(source)
    # <target> may belong to another folder, which must know that the file
    # is made by the build and need not exist yet.
    set_source_files_properties("${source}" TARGET_DIRECTORY "${target}" PROPERTIES GENERATED ON)
    target_sources("${target}" PRIVATE "${source}")
  endif()
endfunction()
