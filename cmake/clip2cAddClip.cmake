# SPDX-License-Identifier: MIT
# clip2c_add_clip(<target> <clip> [SIGNED] [SOURCE] [RATE <hz>] [STORAGE <words>...])
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
# text after an #include of the header, which declares
# extern const unsigned char <name>_wave[N]; (const char with SIGNED) with
# an include guard and C linkage for C++, so any number of C and C++ files
# may include it. The header also defines <name>_wave_rate, the sample rate
# in hertz as a plain decimal: RATE <hz> when given (a raw clip needs it),
# else the rate of the WAV file's "fmt " chunk. STORAGE <words> (SOURCE
# only) puts the words right after const in both, e.g. __flash (avr-gcc, C)
# or PROGMEM (avr-libc; the header then includes <avr/pgmspace.h>).
#
# The files are made again whenever the clip, the clip2c executable or the
# function's arguments change (Make and Ninja run a custom command again
# when its line changes), and <target> is compiled only after they exist.
# The tool is clip2c::clip2c: the imported target of an installed package,
# or the alias that clip2c's own CMakeLists.txt defines when it is added as
# a subproject.
include_guard(GLOBAL)

# Run as a script (cmake -P) at build time: converts one clip, quietly. The
# banner clip2c prints on every run stays out of the build log; when the
# conversion fails, the message names the clip and shows what clip2c said.
# With CLIP2C_SOURCE set, clip2c writes that file, which is then made into
# the definition, and CLIP2C_HEADER into the declaration and the rate
# (CLIP2C_RATE, else read from the WAV file).
if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  # Sets <out> to the little-endian 32-bit value of 8 hex digits.
  macro(clip2c_u32le hex out)
    string(REGEX REPLACE "^(..)(..)(..)(..)$" "0x\\4\\3\\2\\1" ${out} "${hex}")
    math(EXPR ${out} "${${out}}")
  endmacro()

  # Sets <out> to the sample rate of the WAV file's last "fmt " chunk that
  # is whole up to its block-align field, "" when there is none. The chunks
  # are walked as clip2c walks them: from offset 12 up to the RIFF size + 8
  # (in 32-bit arithmetic), each odd body followed by a pad byte, until a
  # chunk header would pass the file's end.
  function(clip2c_wave_rate path out)
    file(SIZE "${path}" length)
    file(READ "${path}" riff LIMIT 12 HEX)
    set(rate "")
    set(limit 0)
    if(riff MATCHES "^........(........)57415645$") # "WAVE"
      clip2c_u32le("${CMAKE_MATCH_1}" limit)
      math(EXPR limit "(${limit} + 8) & 0xFFFFFFFF")
    endif()
    set(position 12)
    math(EXPR remaining "${length} - ${position}")
    while(position LESS limit AND remaining GREATER_EQUAL 8)
      file(READ "${path}" chunk OFFSET ${position} LIMIT 16 HEX)
      string(REGEX MATCH "^(........)(........)........(........)?" chunk "${chunk}")
      set(id "${CMAKE_MATCH_1}")
      set(chunk_rate "${CMAKE_MATCH_3}")
      clip2c_u32le("${CMAKE_MATCH_2}" body)
      if(id STREQUAL "666d7420" AND remaining GREATER_EQUAL 22) # "fmt ", whole up to its block align
        clip2c_u32le("${chunk_rate}" rate)
      endif()
      math(EXPR position "${position} + 8 + ${body} + (${body} & 1)")
      math(EXPR remaining "${length} - ${position}")
    endwhile()
    set(${out} "${rate}" PARENT_SCOPE)
  endfunction()

  # The folder is made at configure time too, but may have been removed
  # since, and Make does not make an output's folder itself.
  get_filename_component(header_dir "${CLIP2C_HEADER}" DIRECTORY)
  file(MAKE_DIRECTORY "${header_dir}")
  execute_process(COMMAND ${CLIP2C_EMULATOR} "${CLIP2C_TOOL}" ${CLIP2C_ARGUMENTS}
    RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
  set(reason "")
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
    string(APPEND reason " (exit status ${status})")
  elseif(CLIP2C_SOURCE)
    file(READ "${CLIP2C_SOURCE}" text)
    string(REGEX MATCH "^const (unsigned char|char) ([A-Za-z0-9_]+)\\[([0-9]+)\\]" declaration "${text}")
    set(type "${CMAKE_MATCH_1}")
    set(name "${CMAKE_MATCH_2}")
    set(array "${CMAKE_MATCH_2}[${CMAKE_MATCH_3}]")
    set(rate "${CLIP2C_RATE}")
    if(NOT declaration)
      set(reason "its text begins with no declaration")
    elseif(rate STREQUAL "")
      clip2c_wave_rate("${CLIP2C_CLIP}" rate)
      if(rate STREQUAL "" OR rate EQUAL 0)
        set(reason "its \"fmt \" chunk gives a sample rate of 0; give the rate with RATE <hz>")
      endif()
    endif()
  endif()
  # Whatever a failed run left (a header cut short by a full disk) must not
  # count as up to date in the next build. CLIP2C_SOURCE stays unquoted: when
  # it is empty, file(REMOVE) gets no name rather than an empty one, which
  # it would warn about.
  if(NOT reason STREQUAL "")
    file(REMOVE "${CLIP2C_HEADER}" ${CLIP2C_SOURCE})
    message(FATAL_ERROR "clip2c could not convert ${CLIP2C_CLIP}: ${reason}")
  endif()
  if(CLIP2C_SOURCE)
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
      "/* Made by clip2c_add_clip from ${clip_name}: the array that ${source_name} defines, and its\n"
      "   sample rate in hertz. */\n"
      "#ifndef ${guard}\n#define ${guard}\n${include}\n"
      "#define ${name}_rate ${rate}\n\n"
      "#ifdef __cplusplus\nextern \"C\" {\n#endif\n\n"
      "extern const${words} ${type} ${array};\n\n"
      "#ifdef __cplusplus\n}\n#endif\n\n#endif\n")
    # The header comes first, so the compiler checks that the two agree and,
    # in C++, gives the definition the declaration's external C linkage.
    # The words go right after the text's one "const", at its start.
    string(REGEX REPLACE "^const" "const${words}" text "${text}")
    file(WRITE "${CLIP2C_SOURCE}"
      "/* Made by clip2c_add_clip from ${clip_name}. */\n#include \"${header_name}\"\n\n${text}")
  endif()
  return()
endif()

function(clip2c_add_clip target clip)
  cmake_parse_arguments(PARSE_ARGV 2 arg "SIGNED;SOURCE" "RATE" "STORAGE")
  if(arg_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "clip2c_add_clip: unexpected arguments: ${arg_UNPARSED_ARGUMENTS} (usage: "
                        "clip2c_add_clip(<target> <clip> [SIGNED] [SOURCE] [RATE <hz>] [STORAGE <words>]))")
  endif()
  if(DEFINED arg_RATE OR "RATE" IN_LIST arg_KEYWORDS_MISSING_VALUES)
    if(NOT arg_SOURCE)
      message(FATAL_ERROR "clip2c_add_clip: RATE needs SOURCE: without it the header is clip2c's text, "
                          "which holds no rate")
    endif()
    # Written into C as it is: no leading 0, which C would read as octal,
    # and no more than a WAV file's 32-bit field holds.
    string(LENGTH "${arg_RATE}" digits)
    if(NOT arg_RATE MATCHES "^[1-9][0-9]*$" OR digits GREATER 10
       OR (digits EQUAL 10 AND arg_RATE STRGREATER "4294967295"))
      message(FATAL_ERROR "clip2c_add_clip: RATE \"${arg_RATE}\" is not a sample rate in hertz: give a "
                          "decimal integer from 1 to 4294967295, e.g. RATE 8000")
    endif()
  endif()
  if(DEFINED arg_STORAGE OR "STORAGE" IN_LIST arg_KEYWORDS_MISSING_VALUES)
    if(NOT arg_SOURCE)
      message(FATAL_ERROR "clip2c_add_clip: STORAGE needs SOURCE: without it the header defines the "
                          "array as clip2c writes it, and there is no declaration to put the words in")
    endif()
    if(NOT arg_STORAGE)
      message(FATAL_ERROR "clip2c_add_clip: STORAGE needs the words to put after const, e.g. __flash")
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
  string(SUBSTRING "${clip_file}" ${cut} 4 extension)
  if(arg_SOURCE AND extension STREQUAL ".raw" AND NOT arg_RATE)
    message(FATAL_ERROR "clip2c_add_clip: ${clip}: a raw clip holds no sample rate, and with SOURCE "
                        "the header defines ${name}_wave_rate: give it with RATE <hz>, e.g. RATE 8000")
  endif()
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
            "-DCLIP2C_SOURCE=${source}" "-DCLIP2C_STORAGE=${arg_STORAGE}" "-DCLIP2C_RATE=${arg_RATE}"
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
