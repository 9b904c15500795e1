# Checks that the folders of src/ include each other only downwards (README.md, "Layout"):
#   cmake -DSOURCE_DIR=<src folder> -P check-layers.cmake
# Every "folder/..." include is checked against the folders the including folder may use, and
# the system libraries against the one folder that wraps each. Fails naming each file and include
# that breaks a rule.

cmake_minimum_required(VERSION 3.25)

if(NOT SOURCE_DIR)
  message(FATAL_ERROR "check-layers.cmake needs -DSOURCE_DIR=<the src folder>")
endif()

# What each folder may include besides itself; "main" is src/main.cpp, the program entry.
set(allowed_base "")
set(allowed_platform base)
set(allowed_files base)
set(allowed_graphics base files platform)
set(allowed_audio base files)
set(allowed_resources base files graphics audio)
set(allowed_widgets base graphics platform)
set(allowed_net base)
set(allowed_crash base)
set(allowed_demo base platform files graphics widgets)
set(allowed_app base platform files graphics audio resources widgets net crash demo)
set(allowed_game base platform files graphics audio resources widgets net crash demo app)
set(allowed_main base platform files graphics audio resources widgets net crash demo app game)
set(layers base platform files graphics audio resources widgets net crash demo app game)

# System headers that only one place may include: a regular expression for the header and one
# for the files (relative to src/) that may include it.
set(system_rules
  "^SDL|src/platform/sdl/"
  "^AL/|src/audio/"
  "^(ft2build\\.h|freetype/|fontconfig/)|src/graphics/SysFont\\.")

file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR}/.. ${SOURCE_DIR}/*.h ${SOURCE_DIR}/*.cpp)
list(SORT sources)
set(failures 0)
foreach(source ${sources})
  if(source STREQUAL "src/main.cpp")
    set(folder main)
  else()
    string(REGEX REPLACE "^src/([^/]+)/.*" "\\1" folder "${source}")
  endif()
  if(NOT DEFINED allowed_${folder})
    message(SEND_ERROR "${source}: folder '${folder}' has no place in the layers; add it to check-layers.cmake and README.md")
    math(EXPR failures "${failures} + 1")
    continue()
  endif()
  file(STRINGS ${SOURCE_DIR}/../${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
  foreach(line ${includes})
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[<\"]([^>\"]*)[>\"].*" "\\1" header "${line}")
    string(REGEX MATCH "^[^/]+" target "${header}")
    if(header MATCHES "/" AND target IN_LIST layers AND NOT target STREQUAL folder)
      if(NOT target IN_LIST allowed_${folder})
        message(SEND_ERROR "${source}: includes \"${header}\": ${folder}/ may not include ${target}/")
        math(EXPR failures "${failures} + 1")
      endif()
    endif()
    foreach(rule ${system_rules})
      string(REPLACE "|src/" ";src/" rule "${rule}")
      list(GET rule 0 header_pattern)
      list(GET rule 1 file_pattern)
      if(header MATCHES "${header_pattern}" AND NOT source MATCHES "^${file_pattern}")
        message(SEND_ERROR "${source}: includes <${header}>, which only ${file_pattern} may include")
        math(EXPR failures "${failures} + 1")
      endif()
    endforeach()
  endforeach()
endforeach()

list(LENGTH sources count)
if(failures GREATER 0)
  message(FATAL_ERROR "${failures} include(s) break the layers")
endif()
message(STATUS "${count} files of src/ include only what their layer may")
