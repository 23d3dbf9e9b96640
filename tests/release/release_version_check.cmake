# Runs each of PROGRAMS (NAME=PATH, separated by "|") with --version and
# expects "NAME VERSION" and nothing else; reads each of RESOURCE_PROGRAMS
# for a version resource naming the release's version and the program's
# file name. EMULATOR ("|"-separated) runs the programs of a Windows build.
file(STRINGS "${VERSION_FILE}" version LIMIT_COUNT 1)
string(REPLACE "|" ";" programs "${PROGRAMS}")
string(REPLACE "|" ";" resource_programs "${RESOURCE_PROGRAMS}")
string(REPLACE "|" ";" emulator "${EMULATOR}")

set(failures "")
foreach(entry IN LISTS programs)
  string(REGEX REPLACE "=.*" "" name "${entry}")
  string(REGEX REPLACE "^[^=]*=" "" path "${entry}")
  execute_process(COMMAND ${emulator} "${path}" --version
    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  string(REPLACE "\r\n" "\n" out "${out}")
  if(NOT status EQUAL 0 OR NOT out STREQUAL "${name} ${version}\n")
    string(APPEND failures "${name} --version: status ${status}, output \"${out}\" ${err}\n")
  endif()
endforeach()

# A version resource keeps its texts in UTF-16LE: each expected text as the
# hex digits of its UTF-16LE form.
function(utf16_hex text out)
  file(WRITE "${CMAKE_CURRENT_BINARY_DIR}/utf16_probe.txt" "${text}")
  file(READ "${CMAKE_CURRENT_BINARY_DIR}/utf16_probe.txt" hex HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "\\100" hex "${hex}")
  set(${out} "${hex}" PARENT_SCOPE)
endfunction()

foreach(entry IN LISTS resource_programs)
  string(REGEX REPLACE "=.*" "" name "${entry}")
  string(REGEX REPLACE "^[^=]*=" "" path "${entry}")
  file(READ "${path}" bytes HEX)
  foreach(text "FileVersion" "ProductVersion" "FileDescription" "ProductName" "OriginalFilename"
               "${version}" "${name}.exe")
    utf16_hex("${text}" wanted)
    string(FIND "${bytes}" "${wanted}" at)
    if(at EQUAL -1)
      string(APPEND failures "${name}: no \"${text}\" in its version resource\n")
    endif()
  endforeach()
endforeach()

if(failures)
  message(FATAL_ERROR "${failures}")
endif()
message(STATUS "every program shows version ${version}")
