# One fuzz test: a fresh working corpus (libFuzzer adds the inputs it finds
# to its first corpus folder, which must not be the checked-in seeds), then
# a seeded run bounded in inputs and time. Crash inputs go to ARTIFACTS.
#   cmake -DFUZZER=... -DSEEDS=... -DWORK=... -DARTIFACTS=... -DRUNS=... -DSECONDS=... [-DDICT=...]
#         -P run_fuzz_test.cmake
foreach(var FUZZER SEEDS WORK ARTIFACTS RUNS SECONDS)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "run_fuzz_test.cmake: ${var} is not set")
  endif()
endforeach()

set(dict_option "")
if(DICT)
  set(dict_option "-dict=${DICT}")
endif()

file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}" "${ARTIFACTS}")
execute_process(
  COMMAND "${FUZZER}" "${WORK}" "${SEEDS}"
    -seed=1 -runs=${RUNS} -max_total_time=${SECONDS} -timeout=10 -rss_limit_mb=2048
    -max_len=4096 -print_final_stats=1 "-artifact_prefix=${ARTIFACTS}" ${dict_option}
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${FUZZER} failed (${status}); the input that broke it is in ${ARTIFACTS}")
endif()
