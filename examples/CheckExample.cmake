# Renders one example document and compares the art with the expected text.
#   DOCUMENT  NAME.vrl, saved by the example's script at build time
#   EXPECTED  NAME.txt, the exact output of `virlo-cli render NAME.vrl`
#   ACTUAL    where the rendered art goes; kept only when it differs
# Called as: cmake -DCLI=... -DDOCUMENT=... -DEXPECTED=... -DACTUAL=... -P CheckExample.cmake
foreach(variable CLI DOCUMENT EXPECTED ACTUAL)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "CheckExample.cmake needs -D${variable}=...")
  endif()
endforeach()
get_filename_component(name "${DOCUMENT}" NAME_WE)

if(NOT EXISTS "${DOCUMENT}")
  message(FATAL_ERROR "${name}: ${DOCUMENT} does not exist; build the target 'examples' first")
endif()

# The art goes straight to a file, so the comparison sees every byte.
execute_process(
  COMMAND "${CLI}" render "${DOCUMENT}"
  OUTPUT_FILE "${ACTUAL}"
  ERROR_VARIABLE err
  RESULT_VARIABLE status)
if(NOT status STREQUAL "0")
  message(FATAL_ERROR "${name}: virlo-cli render exited with ${status}\n${err}")
endif()
if(NOT err STREQUAL "")
  message(FATAL_ERROR "${name}: virlo-cli render wrote to standard error:\n${err}")
endif()

execute_process(
  COMMAND "${CMAKE_COMMAND}" -E compare_files "${EXPECTED}" "${ACTUAL}"
  RESULT_VARIABLE differs)
if(NOT differs EQUAL 0)
  message(FATAL_ERROR "${name}: the rendered art differs from ${EXPECTED}; it was written to ${ACTUAL}\n"
                      "diff: diff -u ${EXPECTED} ${ACTUAL}")
endif()
file(REMOVE "${ACTUAL}")
