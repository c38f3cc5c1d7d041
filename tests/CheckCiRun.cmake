# The CI script runs the README's test command and stops at a failing step:
# a copy of .ci/run whose set-up exits non-zero must fail and run none of the
# later steps, and so must one whose build registers no test at all.
#   cmake -DCI_DIR=<.ci> -DWORK_DIR=<scratch> -P CheckCiRun.cmake

# The README's test command is the set-up and then the very ctest line CI runs.
file(READ "${CI_DIR}/../README.md" readme)
string(REGEX MATCH "\n    bash \\.ci/setup && (ctest [^\n]*)\n" found "${readme}")
if(NOT found)
  message(FATAL_ERROR "the README names no test command")
endif()
set(readme_ctest "${CMAKE_MATCH_1}")
file(STRINGS "${CI_DIR}/run" run_ctest REGEX "^ctest ")
if(NOT run_ctest STREQUAL readme_ctest)
  message(FATAL_ERROR ".ci/run runs \"${run_ctest}\", the README says \"${readme_ctest}\"")
endif()

function(run_copy setup expect)
  file(REMOVE_RECURSE "${WORK_DIR}")
  file(MAKE_DIRECTORY "${WORK_DIR}/.ci")
  file(COPY "${CI_DIR}/run" DESTINATION "${WORK_DIR}/.ci")
  file(WRITE "${WORK_DIR}/.ci/setup" "${setup}\n")
  foreach(step format sanitize)
    file(WRITE "${WORK_DIR}/.ci/${step}" "touch \"${WORK_DIR}/ran-${step}\"\n")
  endforeach()
  execute_process(COMMAND bash "${WORK_DIR}/.ci/run" RESULT_VARIABLE result OUTPUT_QUIET ERROR_QUIET)
  if(result EQUAL 0)
    message(FATAL_ERROR ".ci/run succeeded although ${expect}")
  endif()
  if(EXISTS "${WORK_DIR}/ran-sanitize")
    message(FATAL_ERROR ".ci/run went on to sanitize although ${expect}")
  endif()
  message(STATUS ".ci/run fails when ${expect} (exit ${result})")
endfunction()

run_copy("exit 3" "its set-up failed")
if(EXISTS "${WORK_DIR}/ran-format")
  message(FATAL_ERROR ".ci/run went on to format after its set-up failed")
endif()
# A set-up that builds nothing: an empty build folder.
run_copy("mkdir -p \"${WORK_DIR}/build\"" "its build registers no test")
