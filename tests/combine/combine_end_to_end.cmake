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

run_step("${WORK_DIR}/${template}")
expect_output("uncombined")

run_step("${SAMPLE_IMAGE}" sample.bin)
file(SIZE "${WORK_DIR}/sample.bin" image_size)
if(NOT step_rc EQUAL 0 OR NOT image_size EQUAL 131072)
  message(FATAL_ERROR "sample image: exit ${step_rc}, ${image_size} bytes")
endif()

file(SHA256 "${WORK_DIR}/sample.bin" sample_sha256)
run_step("${COMBINE}" ${template} sample.bin --revision P1.3 --mask 0x0F --sha256 ${sample_sha256}
         -o ${combined})
if(NOT step_rc EQUAL 0 OR NOT step_out MATCHES "matches --sha256\n  SHA-256:  ${sample_sha256}\n  byte sum: 0E89")
  message(FATAL_ERROR "combine failed: ${step_out}${step_err}")
endif()

run_step("${WORK_DIR}/${combined}")
expect_output("combined tag=P1.3 expected-sum=0E89 mask=0F computed-sum=0E89")

# What the user may get wrong, one case a line: the exit status, a text the
# output must hold (literally) and the arguments; none may write its OUTPUT
# or change the template, the image or the combined program. A copy of
# ktxcombine stands for a file that holds the package anchor but no package.
configure_file("${COMBINE}" "${WORK_DIR}/not_a_program${exe_suffix}" COPYONLY)
string(REPEAT "0" 64 wrong_sha256)
set(combine_args "${template} sample.bin --revision P1.3 --mask 0x0F")
foreach(case
    "1|SHA-256 differs)|${combine_args} --sha256 ${wrong_sha256} -o new${exe_suffix}"
    "1|  --sha256: ${wrong_sha256}|${combine_args} --sha256 ${wrong_sha256} -o new${exe_suffix}"
    "1|byte sum: 0E89\n  --sum:    0E88|${combine_args} --sum 0E88 -o new${exe_suffix}"
    "1|byte sum differs)|${combine_args} --sha256 ${sample_sha256} --sum 0E88 -o new${exe_suffix}"
    "2|--sha256 HEX or --sum HEX|${combine_args} -o new${exe_suffix}"
    "1|beyond the end of the revision tag|${template} sample.bin --revision P1 --mask 0x0F --sum 0E89 -o new${exe_suffix}"
    "1|bits above bit 3|${template} sample.bin --revision P1.3 --mask 0xF0 --sum 0E89 -o new${exe_suffix}"
    "1|${combined}: already exists|${combine_args} --sum 0E89 -o ${combined}"
    "1|is the template|${combine_args} --sum 0E89 --force -o ${template}"
    "1|is the firmware image|${combine_args} --sum 0E89 --force -o sample.bin"
    "1|${combined}: already combined|${combined} sample.bin --revision P1.4 --mask 0 --sum 0E89 -o new${exe_suffix}"
    "1|not_a_program${exe_suffix}: no firmware package|not_a_program${exe_suffix} sample.bin --revision P1.3 --mask 0 --sum 0E89 -o new${exe_suffix}"
    "1|not_a_program${exe_suffix}: no firmware package|--info not_a_program${exe_suffix}"
    "1|missing.bin: cannot read|${template} missing.bin --revision P1.3 --mask 0 --sum 0E89 -o new${exe_suffix}"
    "1|x64\\nothere.exe: cannot read|--info x64\\nothere.exe")
  string(REPLACE "|" ";" fields "${case}")
  list(GET fields 0 expected_rc)
  list(GET fields 1 expected_text)
  list(GET fields 2 args)
  string(REPLACE " " ";" args "${args}")
  run_step("${COMBINE}" ${args})
  string(FIND "${step_out}${step_err}" "${expected_text}" found)
  if(NOT step_rc EQUAL expected_rc OR found EQUAL -1)
    message(FATAL_ERROR "expected exit ${expected_rc} and \"${expected_text}\", got exit ${step_rc}: ${step_err}")
  endif()
  if(EXISTS "${WORK_DIR}/new${exe_suffix}")
    message(FATAL_ERROR "a refused combine wrote new${exe_suffix}")
  endif()
endforeach()
run_step("${WORK_DIR}/${template}")
expect_output("uncombined")
run_step("${WORK_DIR}/${combined}")
expect_output("combined tag=P1.3 expected-sum=0E89 mask=0F computed-sum=0E89")
file(SHA256 "${WORK_DIR}/sample.bin" image_after)
if(NOT image_after STREQUAL sample_sha256)
  message(FATAL_ERROR "a refused combine changed the image")
endif()

# Asked to, an existing output is replaced; a byte sum alone, or no check
# at all when the user says so, lets the image through.
run_step("${COMBINE}" ${template} sample.bin --revision P1 --mask 0x0C --sum 0e89 --force -o ${combined})
run_step("${WORK_DIR}/${combined}")
expect_output("combined tag=P1 expected-sum=0E89 mask=0C computed-sum=0E89")
run_step("${COMBINE}" ${template} sample.bin --revision P1.3 --mask 0 --unchecked-image -o unchecked${exe_suffix})
if(NOT step_rc EQUAL 0 OR NOT step_out MATCHES "is not checked")
  message(FATAL_ERROR "--unchecked-image: exit ${step_rc}: ${step_out}${step_err}")
endif()
