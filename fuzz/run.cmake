# Runs FUZZER for SECONDS over WORK/corpus, which starts from SEEDS and keeps
# what the fuzzer adds from run to run, so that new inputs never land in the
# source tree. Findings go to WORK/findings and stay there: each run first
# replays them and fails, naming them, while one still fails. A finding that
# passes again joins the corpus.
file(MAKE_DIRECTORY ${WORK}/corpus ${WORK}/findings)

function(fail_with_findings what paths)
  list(JOIN paths "\n  " listed)
  message(FATAL_ERROR "${FUZZER} ${what}:\n  ${listed}\n"
    "Once fixed, each belongs in ${SEEDS}, named after what it found.")
endfunction()

file(GLOB kept LIST_DIRECTORIES false ${WORK}/findings/*)
set(failing)
foreach(finding ${kept})
  execute_process(COMMAND ${FUZZER} -timeout=10 ${finding} RESULT_VARIABLE rc)
  if(rc EQUAL 0)
    get_filename_component(name ${finding} NAME)
    file(RENAME ${finding} ${WORK}/corpus/${name})
    message(STATUS "passes again, moved into the corpus: ${WORK}/corpus/${name}")
  else()
    list(APPEND failing ${finding})
  endif()
endforeach()
if(failing)
  fail_with_findings("still fails on inputs it found before" "${failing}")
endif()

file(COPY ${SEEDS}/ DESTINATION ${WORK}/corpus)
execute_process(
  COMMAND ${FUZZER} -max_total_time=${SECONDS} -timeout=10 -print_final_stats=1
          -artifact_prefix=${WORK}/findings/ ${WORK}/corpus
  RESULT_VARIABLE rc)
file(GLOB found LIST_DIRECTORIES false ${WORK}/findings/*)
if(found)
  fail_with_findings("found a fault (exit ${rc}); the input" "${found}")
elseif(NOT rc EQUAL 0)
  message(FATAL_ERROR "${FUZZER} failed (exit ${rc}) and left no input")
endif()
