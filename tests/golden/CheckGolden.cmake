# Runs one golden script through virlo-cli and compares what it prints.
#   NAME.script  the session
#   NAME.txt     the exact standard output (the character art of `show`)
#   NAME.status  optional: the exit status, when it is not 0
#   NAME.stderr  optional: the exact standard error
# Called as: cmake -DCLI=... -DSCRIPT=.../NAME.script -P CheckGolden.cmake
get_filename_component(dir "${SCRIPT}" DIRECTORY)
get_filename_component(name "${SCRIPT}" NAME_WE)
execute_process(
  COMMAND "${CLI}" run "${SCRIPT}"
  WORKING_DIRECTORY "${dir}"
  OUTPUT_VARIABLE out
  ERROR_VARIABLE err
  RESULT_VARIABLE status)

set(expected_status 0)
if(EXISTS "${dir}/${name}.status")
  file(READ "${dir}/${name}.status" expected_status)
  string(STRIP "${expected_status}" expected_status)
endif()
if(NOT status STREQUAL expected_status)
  message(FATAL_ERROR "${name}: exit status ${status}, expected ${expected_status}\nstderr:\n${err}")
endif()

set(expected_out "")
if(EXISTS "${dir}/${name}.txt")
  file(READ "${dir}/${name}.txt" expected_out)
endif()
if(NOT out STREQUAL expected_out)
  file(WRITE "${OUTPUT}" "${out}")
  message(FATAL_ERROR "${name}: the output differs from ${name}.txt; it was written to ${OUTPUT}\n"
                      "diff: diff ${dir}/${name}.txt ${OUTPUT}")
endif()

if(EXISTS "${dir}/${name}.stderr")
  file(READ "${dir}/${name}.stderr" expected_err)
  string(REPLACE "${SCRIPT}" "NAME.script" err "${err}")
  if(NOT err STREQUAL expected_err)
    message(FATAL_ERROR "${name}: standard error differs:\n${err}\nexpected:\n${expected_err}")
  endif()
endif()
