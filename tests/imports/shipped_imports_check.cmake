# Checks a shipped program and a program combined from it. Run as
#   cmake -DPROGRAM=... -DCHECKER=... [-DCOMBINE=... -DSAMPLE_IMAGE=...]
#         -DMACHINE=i386|amd64 -DMAX_VERSION=M.N -DALLOWLIST=...
#         -DWORK_DIR=... [-DEMULATOR=a|b|c] -P shipped_imports_check.cmake
# EMULATOR, with '|' between its words, runs the Windows programs (Wine).
# Without COMBINE the program alone is checked (one that carries no
# firmware package, such as ktxcombine.exe).

foreach(var PROGRAM CHECKER MACHINE MAX_VERSION ALLOWLIST WORK_DIR)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "${var} is not set")
  endif()
endforeach()
string(REPLACE "|" ";" emulator "${EMULATOR}")
foreach(tool CHECKER COMBINE SAMPLE_IMAGE)
  if((tool STREQUAL "CHECKER" OR DEFINED COMBINE) AND NOT EXISTS "${${tool}}")
    message(FATAL_ERROR "${tool} ${${tool}} does not exist: build the host configuration first (./run build)")
  endif()
endforeach()

file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")
file(COPY_FILE "${PROGRAM}" "${WORK_DIR}/template.exe")

function(run_step)
  execute_process(COMMAND ${emulator} ${ARGN}
                  WORKING_DIRECTORY "${WORK_DIR}"
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 120)
  string(REPLACE "\r" "" out "${out}${err}")
  set(step_rc "${rc}" PARENT_SCOPE)
  set(step_out "${out}" PARENT_SCOPE)
endfunction()

set(checked template.exe)
if(DEFINED COMBINE)
  run_step("${SAMPLE_IMAGE}" sample.bin)
  if(NOT step_rc EQUAL 0)
    message(FATAL_ERROR "sample image: exit ${step_rc}: ${step_out}")
  endif()
  run_step("${COMBINE}" template.exe sample.bin --revision P1.3 --mask 0x0F --sum 0E89 -o combined.exe)
  if(NOT step_rc EQUAL 0)
    message(FATAL_ERROR "combine: exit ${step_rc}: ${step_out}")
  endif()
  list(APPEND checked combined.exe)
endif()

# The allowlist by a path the checker can open under the emulator too.
file(COPY_FILE "${ALLOWLIST}" "${WORK_DIR}/allowlist.txt")
run_step("${CHECKER}" --machine ${MACHINE} --max-version ${MAX_VERSION} --allowlist allowlist.txt --list
         ${checked})
message(STATUS "${step_out}")
if(NOT step_rc EQUAL 0)
  message(FATAL_ERROR "the shipped program breaks the rules for the oldest Windows it is for (exit ${step_rc})")
endif()
