# Builds a diagram from its script and renders it with options, comparing what
# `virlo-cli render` prints.
#   DIAGRAM.script        the session; it saves "DIAGRAM.vrl" in the working folder
#   DIAGRAM.VARIANT.args  the render options, one argument a line
#   DIAGRAM.VARIANT.txt   the exact standard output
#   DIAGRAM.VARIANT.status, .stderr  optional, as for the golden sessions
# Called as: cmake -DCLI=... -DARGS=.../DIAGRAM.VARIANT.args -DWORK=<dir> -P CheckRender.cmake
get_filename_component(dir "${ARGS}" DIRECTORY)
get_filename_component(variant "${ARGS}" NAME)
string(REGEX REPLACE "\\.args$" "" variant "${variant}")
string(REGEX REPLACE "\\..*$" "" diagram "${variant}")

file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
execute_process(
  COMMAND "${CLI}" run "${dir}/${diagram}.script"
  WORKING_DIRECTORY "${WORK}"
  OUTPUT_QUIET
  ERROR_VARIABLE err
  RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT EXISTS "${WORK}/${diagram}.vrl")
  message(FATAL_ERROR "${diagram}.script did not save ${diagram}.vrl (status ${status}):\n${err}")
endif()

file(STRINGS "${ARGS}" options ENCODING UTF-8)
execute_process(
  COMMAND "${CLI}" render "${diagram}.vrl" ${options}
  WORKING_DIRECTORY "${WORK}"
  OUTPUT_VARIABLE out
  ERROR_VARIABLE err
  RESULT_VARIABLE status)

include("${CMAKE_CURRENT_LIST_DIR}/../../cmake/CompareRun.cmake")
virlo_compare_run("${variant}" "${dir}/${variant}" "${status}" "${out}" "${err}" "${WORK}/${variant}.out")
