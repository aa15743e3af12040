# The scorer's floors hold each counted thing on its own: floors that claim
# one connector more than the importer draws whole, or allow a diagram fewer
# ends left behind than a move leaves, fail and name it, whatever else holds;
# and counts whose list of positions and number disagree, or whose prefix
# starts no line, are refused.
# Run as: cmake -DSCORE=... -DPUBLISHED=DIR -DWORK=DIR -P CheckFloors.cmake
# Scores DIR, which must be refused (status 2) with an error matching PATTERN.
function(expect_refused dir pattern what)
  execute_process(COMMAND "${SCORE}" "${dir}" RESULT_VARIABLE status OUTPUT_QUIET ERROR_VARIABLE err)
  if(NOT status EQUAL 2 OR NOT err MATCHES "${pattern}")
    message(FATAL_ERROR "${what} (status ${status}):\n${err}")
  endif()
endfunction()

file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/bad")
file(READ "${PUBLISHED}/FLOORS" floors)
# The connector runs on a slant ("|____/"), which stays text: no chain from end to end.
# The divider of the box above rests on the side the two boxes share.
file(WRITE "${WORK}/FLOORS" "${floors}bytes-shared-views connector 10,4 1,4\npebble-colblk-header left-behind 0\n")
execute_process(COMMAND "${SCORE}" "${PUBLISHED}" --floors "${WORK}/FLOORS"
                RESULT_VARIABLE status OUTPUT_QUIET ERROR_VARIABLE err)
if(NOT status EQUAL 1 OR NOT err MATCHES "below the floors: bytes-shared-views connector 10,4 1,4\n"
   OR NOT err MATCHES "below the floors: pebble-colblk-header left-behind 1 \\(at most 0\\)")
  message(FATAL_ERROR "floors that claim too much pass (status ${status}):\n${err}")
endif()

file(COPY "${PUBLISHED}/fsm-cpp-sample.txt" DESTINATION "${WORK}/bad")
file(READ "${PUBLISHED}/fsm-cpp-sample.counts" counts)
file(WRITE "${WORK}/bad/fsm-cpp-sample.counts" "${counts}connector: 2,0 2,2\n")
expect_refused("${WORK}/bad" "connectors does not say how many are listed \\(3\\)"
               "counts that disagree with their list are read")

# A connector and an arrowhead marked slanted are scored with the rest, and
# the totals are given again without them; a rectangle cannot be so marked.
file(REMOVE_RECURSE "${WORK}/slanted")
file(COPY "${PUBLISHED}/fsm-cpp-sample.txt" DESTINATION "${WORK}/slanted")
string(REPLACE "connector: 48,1 75,1" "connector: 48,1 75,1 slanted" marked "${counts}")
string(REPLACE "arrowhead: 75,1" "arrowhead: 75,1 slanted" marked "${marked}")
file(WRITE "${WORK}/slanted/fsm-cpp-sample.counts" "${marked}")
execute_process(COMMAND "${SCORE}" "${WORK}/slanted" RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_QUIET)
if(NOT status EQUAL 0 OR NOT out MATCHES "\\| 2/2        \\| 2/2        \\|"
   OR NOT out MATCHES "without slanted runs: connectors 100.0% \\(1 of 1\\), arrowheads 100.0% \\(1 of 1\\)"
   OR NOT out MATCHES "slanted runs: connectors 1 of 1 right, arrowheads 1 of 1 right")
  message(FATAL_ERROR "things marked slanted are not scored apart (status ${status}):\n${out}")
endif()
string(REPLACE "rectangle: 2,0 16,2" "rectangle: 2,0 16,2 slanted" marked "${counts}")
file(WRITE "${WORK}/slanted/fsm-cpp-sample.counts" "${marked}")
expect_refused("${WORK}/slanted" "not a count: rectangle: 2,0 16,2 slanted" "a rectangle marked slanted is read")

# A prefix no line starts with is refused: a tab written as "\t" in the counts.
file(REMOVE_RECURSE "${WORK}/prefix")
file(COPY "${PUBLISHED}/pebble-colblk-header.txt" DESTINATION "${WORK}/prefix")
file(READ "${PUBLISHED}/pebble-colblk-header.counts" counts)
string(REPLACE "prefix: \"//\t\"" "prefix: \"//\\t\"" slipped "${counts}")
file(WRITE "${WORK}/prefix/pebble-colblk-header.counts" "${slipped}")
expect_refused("${WORK}/prefix" "no line starts with the prefix its counts give" "a prefix no line starts with is read")
