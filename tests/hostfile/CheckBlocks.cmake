# Lists the diagram blocks of one host file and compares the listing:
#   FILE         the host file
#   EXPECTED     what `virlo-cli blocks [OPTIONS] FILE` must print, exactly
# Called as: cmake -DCLI=... -DFILE=... -DEXPECTED=... [-DOPTIONS=--all] -P CheckBlocks.cmake
get_filename_component(dir "${FILE}" DIRECTORY)
get_filename_component(name "${FILE}" NAME)
execute_process(
  COMMAND "${CLI}" blocks ${OPTIONS} "${name}"
  WORKING_DIRECTORY "${dir}"
  OUTPUT_VARIABLE out
  ERROR_VARIABLE err
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${name}: exit status ${status}\n${err}")
endif()
file(READ "${EXPECTED}" expected)
if(NOT out STREQUAL expected)
  message(FATAL_ERROR "${name}: the listing differs from ${EXPECTED}:\n${out}")
endif()
