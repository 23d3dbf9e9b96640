# Combines a real built program: the probe, which carries the embedded
# package block, is combined with the sample image by ktxcombine and then run
# to show what it reads. Run as
#   cmake -DPROBE=... -DCOMBINE=... -DSAMPLE_IMAGE=... -DWORK_DIR=...
#         [-DEMULATOR=a|b|c] -P combine_end_to_end.cmake
# EMULATOR, with '|' between its words, runs Windows programs (Wine) in a
# cross build; every program then runs under it, so each step is one start.

foreach(var PROBE COMBINE SAMPLE_IMAGE WORK_DIR)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "${var} is not set")
  endif()
endforeach()
string(REPLACE "|" ";" emulator "${EMULATOR}")

file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")
get_filename_component(exe_suffix "${PROBE}" LAST_EXT)
set(template "probe_template${exe_suffix}")
set(combined "probe_combined${exe_suffix}")
execute_process(COMMAND "${CMAKE_COMMAND}" -E copy "${PROBE}" "${WORK_DIR}/${template}"
                RESULT_VARIABLE copy_rc)
if(NOT copy_rc EQUAL 0)
  message(FATAL_ERROR "cannot copy ${PROBE}")
endif()

# Runs one program in WORK_DIR; sets step_rc, step_out, step_err (carriage
# returns of Windows text output removed).
function(run_step)
  execute_process(COMMAND ${emulator} ${ARGN}
                  WORKING_DIRECTORY "${WORK_DIR}"
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err
                  TIMEOUT 120)
  string(REPLACE "\r" "" out "${out}")
  string(REPLACE "\r" "" err "${err}")
  string(REPLACE ";" " " command_line "${ARGN}")
  message(STATUS "ran ${command_line}: exit ${rc}\n${out}${err}")
  set(step_rc "${rc}" PARENT_SCOPE)
  set(step_out "${out}" PARENT_SCOPE)
  set(step_err "${err}" PARENT_SCOPE)
endfunction()

function(expect_output expected)
  if(NOT step_rc EQUAL 0 OR NOT step_out STREQUAL "${expected}\n")
    message(FATAL_ERROR "expected exit 0 and \"${expected}\", got exit ${step_rc}: \"${step_out}\" ${step_err}")
  endif()
endfunction()

function(expect_refusal text missing_file)
  if(step_rc EQUAL 0 OR NOT step_err MATCHES "${text}")
    message(FATAL_ERROR "expected a refusal mentioning \"${text}\", got exit ${step_rc}: ${step_err}")
  endif()
  if(EXISTS "${WORK_DIR}/${missing_file}")
    message(FATAL_ERROR "${missing_file} was created by a refused combine")
  endif()
endfunction()

run_step("${WORK_DIR}/${template}")
expect_output("uncombined")

run_step("${SAMPLE_IMAGE}" sample.bin)
file(SIZE "${WORK_DIR}/sample.bin" image_size)
if(NOT step_rc EQUAL 0 OR NOT image_size EQUAL 131072)
  message(FATAL_ERROR "sample image: exit ${step_rc}, ${image_size} bytes")
endif()

run_step("${COMBINE}" ${template} sample.bin --revision P1.3 --mask 0x0F -o ${combined})
if(NOT step_rc EQUAL 0)
  message(FATAL_ERROR "combine failed: ${step_err}")
endif()

run_step("${WORK_DIR}/${combined}")
expect_output("combined tag=P1.3 expected-sum=0E89 mask=0F computed-sum=0E89")

run_step("${COMBINE}" ${combined} sample.bin --revision P1.4 --mask 0 -o again${exe_suffix})
expect_refusal("${combined}: already combined" again${exe_suffix})

run_step("${COMBINE}" ${template} missing.bin --revision P1.3 --mask 0 -o missing${exe_suffix})
expect_refusal("missing.bin: cannot read" missing${exe_suffix})
