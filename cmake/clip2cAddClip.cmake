# SPDX-License-Identifier: MIT
# clip2c_add_clip(<target> <clip> [SIGNED] [SOURCE] [STORAGE <words>...]
#                 [TARGET c|firmware|progmem|flash] [ENCODING pcm8|ima-adpcm] [NAME <name>] [RATE <hz>]
#                 [NORMALIZE] [TRIM])
#
# Converts <clip> (a .raw or .wav file; relative to the calling
# CMakeLists.txt's folder, or absolute) at build time into <name>.h, where
# <name> is NAME, else the clip's file name cut at its last ".raw" (else its
# last ".wav"), as clip2c names its default output; the array is
# <name>_wave. The header lies in a folder of the build tree that is added
# to <target>'s include directories, so a source of <target> writes
# #include "<name>.h". SIGNED writes signed values.
#
# The board options TARGET, ENCODING, NAME, RATE, NORMALIZE and TRIM make
# the header clip2c-board's text for those choices (clip2c::clip2c-board),
# which takes any PCM WAV file: RATE is the rate a WAV file is prepared at
# (resampled when it has another) and a raw clip plays at. ENCODING
# ima-adpcm makes the array <name>_adpcm of 4-bit IMA ADPCM, half the bytes,
# with <name>_adpcm_rate, <name>_adpcm_samples, <name>_adpcm_block_bytes and
# the decoder (clip2c_adpcm_start, clip2c_adpcm_next) in the header; it does
# not go with SOURCE, and SIGNED has no effect on it. Without any board
# option the header is clip2c's text (clip2c::clip2c), which takes 8-bit
# mono clips.
#
# Without SOURCE the header is that text: it defines the array. With SOURCE
# the array is defined once, in <name>_wave.c (<name>_wave.cpp when C is not
# enabled) compiled into <target>: the text after an #include of the header,
# which declares the array as the text defines it, with an include guard
# and C linkage for C++, so any number of C and C++ files may include it.
# The header also defines <name>_wave_rate, the sample rate in hertz as a
# plain decimal, as clip2c-board finds it. STORAGE <words> (SOURCE, no
# TARGET) puts the words right after const in both, e.g. __flash (avr-gcc,
# C) or PROGMEM (avr-libc; the header then includes <avr/pgmspace.h>).
#
# The files are made again whenever the clip, a tool that makes them or the
# function's arguments change (Make and Ninja run a custom command again
# when its line changes), and <target> is compiled only after they exist.
# The tools are the imported targets of an installed package, or the
# aliases that clip2c's own CMakeLists.txt defines when it is added as a
# subproject.
#
# clip2c_add_bank (at the end) makes several clips into one header with
# clip2c-board --bank, through the same script mode.
include_guard(GLOBAL)

# Run as a script (cmake -P) at build time: converts one clip, quietly, into
# CLIP2C_SOURCE when it is set, else CLIP2C_HEADER. With CLIP2C_TARGET set,
# clip2c-board makes the text (CLIP2C_BOARD_ARGUMENTS, then --target); else
# clip2c does (CLIP2C_ARGUMENTS), its banner kept out of the build log. With
# CLIP2C_SOURCE the text is then made into the definition, and
# CLIP2C_HEADER into the declaration and the rate. A failure names the clip,
# shows what the tool said, and leaves neither file behind. With
# CLIP2C_BANK set, CLIP2C_CLIP is the bank's list of clips, and
# CLIP2C_BOARD_ARGUMENTS holds --bank.
if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  # Stops the build step with <reason>, after removing what this clip had
  # made: a header cut short by a full disk, or one from an earlier run, must
  # not count as up to date in the next build. CLIP2C_SOURCE stays unquoted:
  # when it is empty, file(REMOVE) gets no name rather than an empty one,
  # which it would warn about.
  macro(clip2c_fail reason)
    file(REMOVE "${CLIP2C_HEADER}" ${CLIP2C_SOURCE} ${ARGN})
    message(FATAL_ERROR "${reason}")
  endmacro()

  # Runs clip2c-board with the options ARGN on the clips, writing <output>,
  # and sets CLIP2C_SAID to what it printed. When it refuses, its own lines
  # (English, one per line) are shown as it printed them, and the build step
  # stops. The clips' paths hold no ";" (the function refuses them), so
  # each one stays one argument.
  function(clip2c_run_board output)
    execute_process(COMMAND ${CLIP2C_BOARD_EMULATOR} "${CLIP2C_BOARD_TOOL}" ${ARGN} -o "${output}" ${CLIP2C_CLIP}
      RESULT_VARIABLE status OUTPUT_VARIABLE said ERROR_VARIABLE said)
    if(NOT status EQUAL 0)
      string(STRIP "${said}" said)
      if(NOT said STREQUAL "")
        message(NOTICE "${said}")
      endif()
      if(CLIP2C_BANK)
        clip2c_fail("clip2c-board could not make the bank ${CLIP2C_BANK} (exit status ${status})" "${output}")
      endif()
      clip2c_fail("clip2c-board could not convert ${CLIP2C_CLIP} (exit status ${status})" "${output}")
    endif()
    set(CLIP2C_SAID "${said}" PARENT_SCOPE)
  endfunction()

  # Makes the bank's text, in CLIP2C_SOURCE, into the definitions alone, after
  # an #include of CLIP2C_HEADER, which gets the rest with the definitions
  # declared extern. The text is, block by block with a blank line between:
  # the opening comment and include guard (and for progmem the include), a
  # block for each clip ("#define <array>_rate <hz>", save for target c,
  # then the array's definition), the enum, the struct, the table's
  # definition, the accessor, and "#endif". Value lines begin with a tab and
  # hold numbers only, so none is taken for a line that begins a block. The
  # header keeps the bank's own include guard: several banks go in one
  # program, with SOURCE or without.
  macro(clip2c_split_bank)
    file(READ "${CLIP2C_SOURCE}" text)
    set(not_bank "clip2c-board's text of the bank ${CLIP2C_BANK} is not laid out as this function reads it")
    string(FIND "${text}" "\n\n" opening_end)
    string(FIND "${text}" "\n\nenum { " enum_at)
    if(opening_end LESS 0 OR NOT enum_at GREATER opening_end)
      clip2c_fail("${not_bank}: no enum after its opening")
    endif()
    math(EXPR opening_length "${opening_end} + 1")
    math(EXPR clips_at "${opening_end} + 2")
    math(EXPR clips_length "${enum_at} + 2 - ${clips_at}")
    math(EXPR tail_at "${enum_at} + 2")
    string(SUBSTRING "${text}" 0 ${opening_length} opening)
    string(SUBSTRING "${text}" ${clips_at} ${clips_length} clips)
    string(SUBSTRING "${text}" ${tail_at} -1 tail)
    set(declarations "")
    set(definitions "")
    while(NOT clips STREQUAL "")
      string(FIND "${clips}" "\n};\n\n" end)
      string(FIND "${clips}" " =\n{\n" body_at)
      if(end LESS 0 OR body_at LESS 0 OR body_at GREATER end)
        clip2c_fail("${not_bank}: a clip's array does not end")
      endif()
      math(EXPR block_length "${end} + 5")
      string(SUBSTRING "${clips}" 0 ${block_length} block)
      string(SUBSTRING "${clips}" ${block_length} -1 clips)
      string(SUBSTRING "${block}" 0 ${body_at} lead)
      if(NOT lead MATCHES "^(#define [A-Za-z0-9_]+_rate [0-9]+\n)?(const [^\n]* [A-Za-z0-9_]+\\[[0-9]+\\])$")
        clip2c_fail("${not_bank}: a clip's block begins with no array")
      endif()
      string(APPEND declarations "${CMAKE_MATCH_1}extern ${CMAKE_MATCH_2};\n\n")
      string(LENGTH "${CMAKE_MATCH_1}" rate_length)
      string(SUBSTRING "${block}" ${rate_length} -1 block)
      string(APPEND definitions "${block}")
    endwhile()
    # The tail: the enum and the struct (kept), the table, the accessor.
    string(FIND "${tail}" "\n\nconst " table_at)
    if(table_at LESS 0)
      clip2c_fail("${not_bank}: no table")
    endif()
    math(EXPR table_at "${table_at} + 2")
    string(SUBSTRING "${tail}" 0 ${table_at} types)
    string(SUBSTRING "${tail}" ${table_at} -1 tail)
    string(FIND "${tail}" "\n};\n\n" table_end)
    if(table_end LESS 0 OR NOT tail MATCHES "^(const [^\n]*\\]) = {\n")
      clip2c_fail("${not_bank}: its table does not end")
    endif()
    set(table_declaration "${CMAKE_MATCH_1}")
    math(EXPR table_length "${table_end} + 4")
    math(EXPR accessor_at "${table_end} + 5")
    string(SUBSTRING "${tail}" 0 ${table_length} table)
    string(SUBSTRING "${tail}" ${accessor_at} -1 accessor)
    string(LENGTH "${accessor}" accessor_length)
    math(EXPR accessor_length "${accessor_length} - 7")
    if(accessor_length LESS 0)
      clip2c_fail("${not_bank}: no accessor")
    endif()
    string(SUBSTRING "${accessor}" ${accessor_length} -1 last)
    string(SUBSTRING "${accessor}" 0 ${accessor_length} accessor)
    if(NOT last STREQUAL "#endif\n")
      clip2c_fail("${not_bank}: it does not end with #endif")
    endif()

    get_filename_component(header_name "${CLIP2C_HEADER}" NAME)
    get_filename_component(source_name "${CLIP2C_SOURCE}" NAME)
    set(clip_names "")
    foreach(clip IN LISTS CLIP2C_CLIP)
      get_filename_component(clip_name "${clip}" NAME)
      list(APPEND clip_names "${clip_name}")
    endforeach()
    list(JOIN clip_names ", " clip_names)
    file(WRITE "${CLIP2C_HEADER}"
      "/* Made by clip2c_add_bank: the arrays and the table that ${source_name} defines. */\n"
      "${opening}\n#ifdef __cplusplus\nextern \"C\" {\n#endif\n\n"
      "${declarations}${types}extern ${table_declaration};\n\n${accessor}"
      "#ifdef __cplusplus\n}\n#endif\n\n#endif\n")
    # The header comes first, as for one clip: the compiler checks that the
    # two agree and, in C++, gives the definitions its external C linkage.
    file(WRITE "${CLIP2C_SOURCE}"
      "/* Made by clip2c_add_bank from ${clip_names}. */\n#include \"${header_name}\"\n\n${definitions}${table}")
  endmacro()

  # The folder is made at configure time too, but may have been removed
  # since, and Make does not make an output's folder itself.
  get_filename_component(header_dir "${CLIP2C_HEADER}" DIRECTORY)
  file(MAKE_DIRECTORY "${header_dir}")
  set(written "${CLIP2C_HEADER}")
  if(CLIP2C_SOURCE)
    set(written "${CLIP2C_SOURCE}")
  endif()
  if(CLIP2C_TARGET)
    clip2c_run_board("${written}" ${CLIP2C_BOARD_ARGUMENTS} --target ${CLIP2C_TARGET})
  else()
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
      clip2c_fail("clip2c could not convert ${CLIP2C_CLIP}: ${reason} (exit status ${status})")
    endif()
  endif()
  if(CLIP2C_BANK)
    # A bank that is made but too big for an Uno beside the bank sketch is
    # worth a line in the build log: clip2c-board's own.
    if(CLIP2C_SAID MATCHES "(^|\n)(clip2c-board: Too big [^\n]*)")
      message(NOTICE "${CMAKE_MATCH_2}")
    endif()
    if(CLIP2C_SOURCE)
      clip2c_split_bank()
    endif()
    return()
  endif()
  if(NOT CLIP2C_SOURCE)
    return()
  endif()

  # Both texts hold one line "const <words> <array>[<count>] =" that begins
  # the definition, and clip2c-board's other targets a line
  # "#define <array>_rate <hz>" before it. The STORAGE words go right after
  # the const of clip2c's text, at its start.
  file(READ "${CLIP2C_SOURCE}" text)
  if(CLIP2C_STORAGE)
    string(REPLACE ";" " " words "${CLIP2C_STORAGE}")
    string(REGEX REPLACE "^const" "const ${words}" text "${text}")
  endif()
  if(NOT "\n${text}" MATCHES "\n(const [^\n]*) ([A-Za-z0-9_]+)\\[([0-9]+)\\] =\n")
    clip2c_fail("clip2c could not convert ${CLIP2C_CLIP}: its text holds no declaration")
  endif()
  set(declaration "${CMAKE_MATCH_1} ${CMAKE_MATCH_2}[${CMAKE_MATCH_3}]")
  set(name "${CMAKE_MATCH_2}")
  # clip2c's text holds no rate; the firmware target's text of the same
  # clip, made by the same engine from the same choices, does.
  set(rate_text "${text}")
  set(rate_line "\n#define [A-Za-z0-9_]+_rate ([0-9]+)\n")
  if(NOT rate_text MATCHES "${rate_line}")
    set(rate_file "${CLIP2C_SOURCE}.rate")
    clip2c_run_board("${rate_file}" ${CLIP2C_BOARD_ARGUMENTS} --target firmware)
    file(READ "${rate_file}" rate_text)
    file(REMOVE "${rate_file}")
  endif()
  string(REGEX MATCH "${rate_line}" rate "${rate_text}")
  set(rate "${CMAKE_MATCH_1}")
  if(rate STREQUAL "" OR rate EQUAL 0)
    string(CONCAT reason "clip2c could not convert ${CLIP2C_CLIP}: its \"fmt \" chunk gives a sample rate of 0, "
           "which the header cannot define and RATE cannot resample from; write the rate it plays at into "
           "the file first")
    clip2c_fail("${reason}")
  endif()

  get_filename_component(header_name "${CLIP2C_HEADER}" NAME)
  get_filename_component(source_name "${CLIP2C_SOURCE}" NAME)
  get_filename_component(clip_name "${CLIP2C_CLIP}" NAME)
  string(MAKE_C_IDENTIFIER "CLIP2C_${header_name}" guard)
  string(TOUPPER "${guard}" guard)
  set(include "")
  if(declaration MATCHES "^const (.* )?PROGMEM ")
    set(include "#include <avr/pgmspace.h>\n")
  endif()
  file(WRITE "${CLIP2C_HEADER}"
    "/* Made by clip2c_add_clip from ${clip_name}: the array that ${source_name} defines, and its\n"
    "   sample rate in hertz. */\n"
    "#ifndef ${guard}\n#define ${guard}\n${include}\n"
    "#define ${name}_rate ${rate}\n\n"
    "#ifdef __cplusplus\nextern \"C\" {\n#endif\n\n"
    "extern ${declaration};\n\n"
    "#ifdef __cplusplus\n}\n#endif\n\n#endif\n")
  # The header comes first, so the compiler checks that the two agree and,
  # in C++, gives the definition the declaration's external C linkage. A
  # board text's own #include and #define repeat the header's, word for
  # word, which C and C++ allow.
  file(WRITE "${CLIP2C_SOURCE}"
    "/* Made by clip2c_add_clip from ${clip_name}. */\n#include \"${header_name}\"\n\n${text}")
  return()
endif()

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

# Stops configuring unless <value> is one of clip2c-board's targets;
# <function> names the caller in the message.
function(_clip2c_check_target function value)
  if(NOT "${value}" MATCHES "^(c|firmware|progmem|flash)$")
    message(FATAL_ERROR "${function}: TARGET \"${value}\" is not one of clip2c-board's targets: "
                        "give c, firmware, progmem or flash")
  endif()
endfunction()

# Stops configuring unless <value> is one of clip2c-board's encodings;
# <function> names the caller in the message.
function(_clip2c_check_encoding function value)
  if(NOT "${value}" MATCHES "^(pcm8|ima-adpcm)$")
    message(FATAL_ERROR "${function}: ENCODING \"${value}\" is not one of clip2c-board's encodings: "
                        "give pcm8 or ima-adpcm")
  endif()
endfunction()

# Stops configuring unless <value> is a rate that goes into C as it is: no
# leading 0, which C would read as octal, and no more than clip2c-board
# makes a clip at.
function(_clip2c_check_rate function value)
  string(LENGTH "${value}" digits)
  if(NOT "${value}" MATCHES "^[1-9][0-9]*$" OR digits GREATER 7
     OR (digits EQUAL 7 AND value STRGREATER "1000000"))
    message(FATAL_ERROR "${function}: RATE \"${value}\" is not a sample rate in hertz: give a "
                        "decimal integer from 1 to 1000000, e.g. RATE 8000")
  endif()
endfunction()

# Returns in <var> the file a generated C or C++ source of <what> is named
# <stem>.c or <stem>.cpp when only C++ is enabled; stops configuring when
# neither is.
function(_clip2c_source_file var stem function what)
  get_property(languages GLOBAL PROPERTY ENABLED_LANGUAGES)
  if("C" IN_LIST languages)
    set(${var} "${stem}.c" PARENT_SCOPE)
  elseif("CXX" IN_LIST languages)
    set(${var} "${stem}.cpp" PARENT_SCOPE)
  else()
    message(FATAL_ERROR "${function}: ${what}: SOURCE makes a C or C++ file, and neither C nor CXX "
                        "is enabled here")
  endif()
endfunction()

# Sets <out_dir_var> to <target>'s folder of clip headers, made when it is
# missing, and claims <name> there: two clips or banks of one target may
# not share a name, since they would write the same header. <what> begins
# the message that refuses a name taken, <kind> says what has it.
function(_clip2c_claim_header target name what kind out_dir_var)
  set(out_dir "${CMAKE_CURRENT_BINARY_DIR}/clip2c_clips/${target}")
  get_property(names TARGET "${target}" PROPERTY CLIP2C_CLIP_NAMES)
  if("${name}" IN_LIST names)
    message(FATAL_ERROR "${what}: ${target} already has ${kind} named ${name}")
  endif()
  set_property(TARGET "${target}" APPEND PROPERTY CLIP2C_CLIP_NAMES "${name}")
  file(MAKE_DIRECTORY "${out_dir}")
  set(${out_dir_var} "${out_dir}" PARENT_SCOPE)
endfunction()

# Makes <target> build <header> (and <source>, when not empty) before it
# compiles, and see them. A target of its own carries the command, so the
# header is made first even when <target> was defined in another folder;
# it is named <prefix> and a hash of the header's path, which no other
# clip shares. <target> may belong to another folder, which must know that
# the source is made by the build and need not exist yet.
function(_clip2c_attach target prefix header out_dir source)
  string(MD5 step "${header}")
  string(SUBSTRING "${step}" 0 12 step)
  add_custom_target("${prefix}_${step}" DEPENDS "${header}")
  add_dependencies("${target}" "${prefix}_${step}")
  target_include_directories("${target}" PRIVATE "${out_dir}")
  if(source)
    set_source_files_properties("${source}" TARGET_DIRECTORY "${target}" PROPERTIES GENERATED ON)
    target_sources("${target}" PRIVATE "${source}")
  endif()
endfunction()

function(clip2c_add_clip target clip)
  cmake_parse_arguments(PARSE_ARGV 2 arg "SIGNED;SOURCE;NORMALIZE;TRIM" "RATE;TARGET;ENCODING;NAME" "STORAGE")
  if(arg_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "clip2c_add_clip: unexpected arguments: ${arg_UNPARSED_ARGUMENTS} (usage: "
                        "clip2c_add_clip(<target> <clip> [SIGNED] [SOURCE] [STORAGE <words>] "
                        "[TARGET c|firmware|progmem|flash] [ENCODING pcm8|ima-adpcm] [NAME <name>] "
                        "[RATE <hz>] [NORMALIZE] [TRIM]))")
  endif()
  # A board option given, even without its value, makes the clip
  # clip2c-board's; its target is then c unless TARGET names another.
  set(board_target "")
  foreach(keyword TARGET ENCODING NAME RATE)
    if(DEFINED arg_${keyword} OR "${keyword}" IN_LIST arg_KEYWORDS_MISSING_VALUES)
      set(board_target c)
    endif()
  endforeach()
  if(arg_NORMALIZE OR arg_TRIM)
    set(board_target c)
  endif()
  if(DEFINED arg_TARGET OR "TARGET" IN_LIST arg_KEYWORDS_MISSING_VALUES)
    _clip2c_check_target(clip2c_add_clip "${arg_TARGET}")
    if(DEFINED arg_STORAGE OR "STORAGE" IN_LIST arg_KEYWORDS_MISSING_VALUES)
      message(FATAL_ERROR "clip2c_add_clip: STORAGE does not go with TARGET: TARGET progmem and flash put "
                          "the array in program memory themselves; leave out one or the other")
    endif()
    set(board_target ${arg_TARGET})
  endif()
  if(DEFINED arg_ENCODING OR "ENCODING" IN_LIST arg_KEYWORDS_MISSING_VALUES)
    _clip2c_check_encoding(clip2c_add_clip "${arg_ENCODING}")
    # SOURCE splits an 8-bit array's text into a definition and a
    # declaration; an IMA ADPCM header also holds its decoder and defines.
    if(arg_SOURCE AND arg_ENCODING STREQUAL "ima-adpcm")
      message(FATAL_ERROR "clip2c_add_clip: SOURCE does not go with ENCODING ima-adpcm: the header "
                          "defines the array beside its decoder; leave out SOURCE and include it in one file")
    endif()
  endif()
  if(DEFINED arg_RATE OR "RATE" IN_LIST arg_KEYWORDS_MISSING_VALUES)
    _clip2c_check_rate(clip2c_add_clip "${arg_RATE}")
  endif()
  if(DEFINED arg_STORAGE OR "STORAGE" IN_LIST arg_KEYWORDS_MISSING_VALUES)
    if(NOT arg_SOURCE)
      message(FATAL_ERROR "clip2c_add_clip: STORAGE needs SOURCE: without it the header defines the "
                          "array as the tool writes it, and there is no declaration to put the words in")
    endif()
    if(NOT arg_STORAGE)
      message(FATAL_ERROR "clip2c_add_clip: STORAGE needs the words to put after const, e.g. __flash")
    endif()
  endif()
  if(NOT TARGET "${target}")
    message(FATAL_ERROR "clip2c_add_clip: there is no target named ${target}")
  endif()

  get_filename_component(clip_path "${clip}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
  if(clip_path MATCHES ";")
    message(FATAL_ERROR "clip2c_add_clip: ${clip}: a path holding \";\" cannot be handed through a "
                        "build command (CMake reads it as a list); rename the folder or the file")
  endif()
  get_filename_component(clip_file "${clip_path}" NAME)

  # The tools classify a clip by its file name alone, and clip2c names the
  # array after it, so the name here and the one the array gets come from
  # the same text, whatever the folders are called. clip2c-board is given
  # the name (NAME, else this one), so that the files' names never depend
  # on the name it would propose.
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
  if(DEFINED arg_NAME OR "NAME" IN_LIST arg_KEYWORDS_MISSING_VALUES)
    if(NOT "${arg_NAME}" MATCHES "^[A-Za-z][A-Za-z0-9_]*$")
      message(FATAL_ERROR "clip2c_add_clip: NAME \"${arg_NAME}\" does not make \"${arg_NAME}_wave\" a C "
                          "identifier: give letters, digits and underscores that begin with a letter")
    endif()
    set(name "${arg_NAME}")
  endif()
  if(arg_SOURCE AND extension STREQUAL ".raw" AND NOT board_target)
    message(FATAL_ERROR "clip2c_add_clip: ${clip}: a raw clip holds no sample rate, and with SOURCE "
                        "the header defines ${name}_wave_rate: give it with RATE <hz>, e.g. RATE 8000")
  endif()
  # clip2c-board takes no name that begins with "_", which C reserves.
  set(identifier "^[A-Za-z_][A-Za-z0-9_]*$")
  if(board_target)
    set(identifier "^[A-Za-z][A-Za-z0-9_]*$")
  endif()
  if(NOT name MATCHES "${identifier}")
    message(FATAL_ERROR "clip2c_add_clip: ${clip}: the array would be named \"${name}_wave\", which is "
                        "not a C identifier, so the header would not compile; give the file a name "
                        "made of letters, digits and underscores that begins with a letter, or give "
                        "the array's name with NAME <name>")
  endif()

  _clip2c_claim_header("${target}" "${name}" "clip2c_add_clip: ${clip}" "a clip" out_dir)
  set(header "${out_dir}/${name}.h")
  set(written "${header}")
  set(made "${name}.h")
  set(source "")
  if(arg_SOURCE)
    _clip2c_source_file(source "${out_dir}/${name}_wave" clip2c_add_clip "${clip}")
    set(written "${source}")
    get_filename_component(source_name "${source}" NAME)
    string(APPEND made ", ${source_name}")
  endif()

  # What the script is handed: a tool left empty is not run. Each list goes
  # whole in one quoted argument, which the script reads as a list.
  set(tools "")
  set(board_file "")
  set(board_emulator "")
  set(board_arguments "")
  set(tool_file "")
  set(emulator "")
  set(arguments "")
  get_filename_component(clip_dir "${clip_path}" DIRECTORY)
  file(REAL_PATH "${clip_dir}" clip_dir_real)
  if(board_target OR (arg_SOURCE AND extension STREQUAL ".wav"))
    # clip2c-board makes the clip, or tells the rate of clip2c's.
    if(board_target)
      set(board_arguments --name "${name}")
      if(DEFINED arg_ENCODING)
        list(APPEND board_arguments --encoding "${arg_ENCODING}")
      endif()
      if(DEFINED arg_RATE)
        list(APPEND board_arguments --rate "${arg_RATE}")
      endif()
      foreach(option NORMALIZE TRIM SIGNED)
        if(arg_${option})
          string(TOLOWER "--${option}" word)
          list(APPEND board_arguments "${word}")
        endif()
      endforeach()
    endif()
    _clip2c_tool(clip2c::clip2c-board board_tool board_emulator)
    list(APPEND tools ${board_tool})
    set(board_file "$<TARGET_FILE:${board_tool}>")
  endif()
  if(NOT board_target)
    # clip2c takes every argument that begins with "/" or "-" as an option,
    # so it runs in the clip's folder and gets relative paths. The folders
    # are resolved first, so that a symbolic link in either path cannot make
    # ".." lead somewhere else. A path that has no relative form (another
    # drive on Windows) is given in the native form, which begins with a
    # drive letter or a backslash.
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
    _clip2c_tool(clip2c::clip2c tool emulator)
    list(APPEND tools ${tool})
    set(tool_file "$<TARGET_FILE:${tool}>")
  endif()

  # The tools run through this file's script mode (at its top), which keeps
  # what they print on success out of the build log and shows what they say
  # when the conversion fails. clip2c runs in the clip's folder.
  add_custom_command(
    OUTPUT "${header}" ${source}
    COMMAND "${CMAKE_COMMAND}"
            "-DCLIP2C_EMULATOR=${emulator}" "-DCLIP2C_TOOL=${tool_file}" "-DCLIP2C_ARGUMENTS=${arguments}"
            "-DCLIP2C_BOARD_EMULATOR=${board_emulator}" "-DCLIP2C_BOARD_TOOL=${board_file}"
            "-DCLIP2C_BOARD_ARGUMENTS=${board_arguments}" "-DCLIP2C_TARGET=${board_target}"
            "-DCLIP2C_CLIP=${clip_path}" "-DCLIP2C_HEADER=${header}" "-DCLIP2C_SOURCE=${source}"
            "-DCLIP2C_STORAGE=${arg_STORAGE}"
            -P "${CMAKE_CURRENT_FUNCTION_LIST_FILE}"
    DEPENDS "${clip_path}" ${tools} "${CMAKE_CURRENT_FUNCTION_LIST_FILE}"
    WORKING_DIRECTORY "${clip_dir_real}"
    COMMENT "clip2c: ${clip} -> ${made}"
    VERBATIM)
  _clip2c_attach("${target}" "clip2c_${name}" "${header}" "${out_dir}" "${source}")
endfunction()

# clip2c_add_bank(<target> <bank> CLIPS <clip>... [TARGET c|firmware|progmem|flash]
#                 [ENCODING pcm8|ima-adpcm] [RATE <hz>] [NORMALIZE] [TRIM] [SIGNED] [SOURCE])
#
# Makes the clips (each relative to the calling CMakeLists.txt's folder, or
# absolute), in the order given, into one header <bank>.h at build time:
# the text of clip2c-board --bank <bank> with the same options (target c
# unless TARGET names another), with each clip's array, an enum of them,
# the table <bank>_clips and the accessor <bank>_at. It lies in the same
# folder as <target>'s clips, which is added to <target>'s include
# directories. With SOURCE the arrays and the table are defined once, in
# <bank>_bank.c (<bank>_bank.cpp when C is not enabled) compiled into
# <target>, and the header declares them extern, keeping the rest, so any
# number of C and C++ files may include it. ENCODING ima-adpcm makes every
# clip IMA ADPCM, with the decoder once in the header (no SOURCE then).
# Made again when a clip, clip2c-board or the arguments change.
function(clip2c_add_bank target bank)
  cmake_parse_arguments(PARSE_ARGV 2 arg "NORMALIZE;TRIM;SIGNED;SOURCE" "TARGET;ENCODING;RATE" "CLIPS")
  if(arg_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "clip2c_add_bank: unexpected arguments: ${arg_UNPARSED_ARGUMENTS} (usage: "
                        "clip2c_add_bank(<target> <bank> CLIPS <clip>... [TARGET c|firmware|progmem|flash] "
                        "[ENCODING pcm8|ima-adpcm] [RATE <hz>] [NORMALIZE] [TRIM] [SIGNED] [SOURCE]))")
  endif()
  # The bank names the header, the table, the accessor and the enum.
  if(NOT "${bank}" MATCHES "^[A-Za-z][A-Za-z0-9_]*$")
    message(FATAL_ERROR "clip2c_add_bank: the bank's name \"${bank}\" is not a C identifier, which "
                        "${bank}_clips and ${bank}_at must be: give letters, digits and underscores that "
                        "begin with a letter")
  endif()
  if(NOT arg_CLIPS)
    message(FATAL_ERROR "clip2c_add_bank: the bank ${bank} has no clips: give them with CLIPS <clip>...")
  endif()
  set(board_target c)
  if(DEFINED arg_TARGET OR "TARGET" IN_LIST arg_KEYWORDS_MISSING_VALUES)
    _clip2c_check_target(clip2c_add_bank "${arg_TARGET}")
    set(board_target ${arg_TARGET})
  endif()
  set(board_arguments --bank "${bank}")
  if(DEFINED arg_ENCODING OR "ENCODING" IN_LIST arg_KEYWORDS_MISSING_VALUES)
    _clip2c_check_encoding(clip2c_add_bank "${arg_ENCODING}")
    if(arg_SOURCE AND arg_ENCODING STREQUAL "ima-adpcm")
      message(FATAL_ERROR "clip2c_add_bank: SOURCE does not go with ENCODING ima-adpcm: the header "
                          "defines the arrays beside their decoder; leave out SOURCE and include it in one file")
    endif()
    list(APPEND board_arguments --encoding "${arg_ENCODING}")
  endif()
  if(DEFINED arg_RATE OR "RATE" IN_LIST arg_KEYWORDS_MISSING_VALUES)
    _clip2c_check_rate(clip2c_add_bank "${arg_RATE}")
    list(APPEND board_arguments --rate "${arg_RATE}")
  endif()
  foreach(option NORMALIZE TRIM SIGNED)
    if(arg_${option})
      string(TOLOWER "--${option}" word)
      list(APPEND board_arguments "${word}")
    endif()
  endforeach()
  if(NOT TARGET "${target}")
    message(FATAL_ERROR "clip2c_add_bank: there is no target named ${target}")
  endif()

  set(clip_paths "")
  foreach(clip IN LISTS arg_CLIPS)
    # Words of clip2c_add_clip that a bank does not take would otherwise be
    # read as clips, since CLIPS takes every word up to the next keyword.
    if(clip STREQUAL "NAME")
      message(FATAL_ERROR "clip2c_add_bank: NAME does not go with a bank: each clip of a bank is named from "
                          "its file's name")
    elseif(clip STREQUAL "STORAGE")
      message(FATAL_ERROR "clip2c_add_bank: STORAGE does not go with a bank: give TARGET progmem or flash to "
                          "put it in program memory")
    endif()
    get_filename_component(clip_path "${clip}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
    if(clip_path MATCHES ";")
      message(FATAL_ERROR "clip2c_add_bank: ${clip}: a path holding \";\" cannot be handed through a "
                          "build command (CMake reads it as a list); rename the folder or the file")
    endif()
    list(APPEND clip_paths "${clip_path}")
  endforeach()

  # The bank's header shares the folder of <target>'s clips, so its name may
  # be no clip's.
  _clip2c_claim_header("${target}" "${bank}" clip2c_add_bank "a clip or a bank" out_dir)
  set(header "${out_dir}/${bank}.h")
  set(written "${header}")
  set(made "${bank}.h")
  set(source "")
  if(arg_SOURCE)
    _clip2c_source_file(source "${out_dir}/${bank}_bank" clip2c_add_bank "the bank ${bank}")
    set(written "${source}")
    get_filename_component(source_name "${source}" NAME)
    string(APPEND made ", ${source_name}")
  endif()

  _clip2c_tool(clip2c::clip2c-board board_tool board_emulator)
  add_custom_command(
    OUTPUT "${header}" ${source}
    COMMAND "${CMAKE_COMMAND}"
            "-DCLIP2C_BOARD_EMULATOR=${board_emulator}" "-DCLIP2C_BOARD_TOOL=$<TARGET_FILE:${board_tool}>"
            "-DCLIP2C_BOARD_ARGUMENTS=${board_arguments}" "-DCLIP2C_TARGET=${board_target}"
            "-DCLIP2C_BANK=${bank}" "-DCLIP2C_CLIP=${clip_paths}" "-DCLIP2C_HEADER=${header}"
            "-DCLIP2C_SOURCE=${source}"
            -P "${CMAKE_CURRENT_FUNCTION_LIST_FILE}"
    DEPENDS ${clip_paths} ${board_tool} "${CMAKE_CURRENT_FUNCTION_LIST_FILE}"
    WORKING_DIRECTORY "${out_dir}"
    COMMENT "clip2c: the bank ${bank} -> ${made}"
    VERBATIM)
  _clip2c_attach("${target}" "clip2c_bank_${bank}" "${header}" "${out_dir}" "${source}")
endfunction()
