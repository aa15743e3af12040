# Runs one golden script through virlo-cli and compares what it prints.
#   NAME.script  the session
#   NAME.txt     the exact standard output (the character art of `show`)
#   NAME.status  optional: the exit status, when it is not 0
#   NAME.stderr  optional: the exact standard error
#   NAME.lang    optional: the desktop language it runs in (LANGUAGE); Japanese when absent
# Called as: cmake -DCLI=... -DSCRIPT=.../NAME.script -P CheckGolden.cmake
get_filename_component(dir "${SCRIPT}" DIRECTORY)
get_filename_component(name "${SCRIPT}" NAME_WE)
set(language ja_JP)
if(EXISTS "${dir}/${name}.lang")
  file(STRINGS "${dir}/${name}.lang" language LIMIT_COUNT 1)
endif()
execute_process(
  COMMAND "${CMAKE_COMMAND}" -E env LANGUAGE=${language} "${CLI}" run "${SCRIPT}"
  WORKING_DIRECTORY "${dir}"
  OUTPUT_VARIABLE out
  ERROR_VARIABLE err
  RESULT_VARIABLE status)

# Error messages name the script as NAME.script wherever it lies.
string(REPLACE "${SCRIPT}" "NAME.script" err "${err}")
include("${CMAKE_CURRENT_LIST_DIR}/../../cmake/CompareRun.cmake")
virlo_compare_run("${name}" "${dir}/${name}" "${status}" "${out}" "${err}" "${OUTPUT}")
