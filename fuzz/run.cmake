# Runs FUZZER for SECONDS over a fresh copy of its SEEDS in WORK/corpus, so that
# new inputs never land in the source tree; a finding goes to WORK/findings.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/findings)
file(COPY ${SEEDS}/ DESTINATION ${WORK}/corpus)
execute_process(
  COMMAND ${FUZZER} -max_total_time=${SECONDS} -timeout=10 -print_final_stats=1
          -artifact_prefix=${WORK}/findings/ ${WORK}/corpus
  RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${FUZZER} found a fault (exit ${rc}); the input is in ${WORK}/findings")
endif()
