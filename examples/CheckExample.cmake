# Checks one example: replays its script the way the build does, then renders
# the document the script saved and compares the art with the expected text.
#   SCRIPT    examples/NAME.script; it saves NAME.vrl in DIR
#   DIR       the examples' build directory, where the build puts NAME.vrl
#   EXPECTED  examples/NAME.txt, the exact output of `virlo-cli render NAME.vrl`
# Replaying first keeps NAME.vrl current in a build tree where the `examples`
# target was not built (the sanitizer build makes only some targets) or is
# older than the script.
# Called as: cmake -DCLI=... -DSCRIPT=... -DDIR=... -DEXPECTED=... -P CheckExample.cmake
foreach(variable CLI SCRIPT DIR EXPECTED)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "CheckExample.cmake needs -D${variable}=...")
  endif()
endforeach()
get_filename_component(name "${SCRIPT}" NAME_WE)
set(document "${DIR}/${name}.vrl")
set(actual "${DIR}/${name}.actual.txt")

file(REMOVE "${document}")
execute_process(
  COMMAND "${CLI}" run "${SCRIPT}"
  WORKING_DIRECTORY "${DIR}"
  OUTPUT_QUIET
  ERROR_VARIABLE err
  RESULT_VARIABLE status)
# A script that goes wrong says so on standard error and still ends with 0.
if(NOT status STREQUAL "0" OR NOT err STREQUAL "")
  message(FATAL_ERROR "${name}: virlo-cli run ${SCRIPT} exited with ${status}\n${err}")
endif()
if(NOT EXISTS "${document}")
  message(FATAL_ERROR "${name}: the script did not save ${document}")
endif()

# The art compared as the golden checks compare it.
execute_process(
  COMMAND "${CLI}" render "${document}"
  OUTPUT_VARIABLE out
  ERROR_VARIABLE err
  RESULT_VARIABLE status)
get_filename_component(expected_dir "${EXPECTED}" DIRECTORY)
include("${CMAKE_CURRENT_LIST_DIR}/../cmake/CompareRun.cmake")
virlo_compare_run("${name}" "${expected_dir}/${name}" "${status}" "${out}" "${err}" "${actual}")
