# Checks one damaged document: `virlo-cli render` must refuse it with exit
# status 1 and "virlo-cli: cannot open 'FILE': ..." on standard error holding
# the reason EXPECTED gives for it, and must leave the file's bytes as they were.
#   cmake -DCLI=.../virlo-cli -DDIR=.../bad -DNAME=FILE -P CheckBadCorpus.cmake
# Without NAME it checks that EXPECTED and the folder list the same files.
#   cmake -DDIR=.../bad -P CheckBadCorpus.cmake
file(STRINGS "${DIR}/EXPECTED" lines)
set(listed "")
foreach(line IN LISTS lines)
  if(line MATCHES "^([^\t#]+)\t(.+)$")
    list(APPEND listed "${CMAKE_MATCH_1}")
    if(DEFINED NAME AND CMAKE_MATCH_1 STREQUAL NAME)
      set(reason "${CMAKE_MATCH_2}")
    endif()
  elseif(NOT line STREQUAL "" AND NOT line MATCHES "^#")
    message(FATAL_ERROR "EXPECTED: a line is not FILE<TAB>REASON: '${line}'")
  endif()
endforeach()

if(NOT DEFINED NAME)
  file(GLOB present RELATIVE "${DIR}" "${DIR}/*")
  list(REMOVE_ITEM present EXPECTED)
  list(SORT present)
  list(SORT listed)
  if(NOT present STREQUAL listed)
    message(FATAL_ERROR "bad/ holds: ${present}\nEXPECTED lists: ${listed}")
  endif()
  return()
endif()

set(file "${DIR}/${NAME}")
if(NOT DEFINED reason)
  message(FATAL_ERROR "${NAME}: EXPECTED gives no reason for it")
endif()
if(NOT EXISTS "${file}")
  message(FATAL_ERROR "${NAME}: there is no such file in ${DIR}")
endif()
file(SHA256 "${file}" before)
execute_process(
  COMMAND "${CLI}" render "${file}"
  OUTPUT_VARIABLE out
  ERROR_VARIABLE err
  RESULT_VARIABLE status
  TIMEOUT 10)
file(SHA256 "${file}" after)

if(NOT status STREQUAL "1")
  message(FATAL_ERROR "${NAME}: exit status ${status}, expected 1\nstderr:\n${err}")
endif()
string(FIND "${err}" "virlo-cli: cannot open '${file}': " at)
if(at EQUAL -1)
  message(FATAL_ERROR "${NAME}: standard error does not name the file:\n${err}")
endif()
string(FIND "${err}" "${reason}" at)
if(at EQUAL -1)
  message(FATAL_ERROR "${NAME}: standard error does not give the reason '${reason}':\n${err}")
endif()
if(NOT out STREQUAL "")
  message(FATAL_ERROR "${NAME}: it printed art for a refused document:\n${out}")
endif()
if(NOT before STREQUAL after)
  message(FATAL_ERROR "${NAME}: opening it changed the file")
endif()
foreach(side IN ITEMS -journal -wal -shm)
  if(EXISTS "${file}${side}")
    message(FATAL_ERROR "${NAME}: opening it left ${NAME}${side} behind")
  endif()
endforeach()
