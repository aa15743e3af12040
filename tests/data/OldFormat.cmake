# What the checks of documents of older file formats share, included by
# CheckFormat*.cmake, which are called with CLI, DIR (tests/data) and WORK.

# The format every save writes.
set(present_format 4)

# Copies DIR/NAME into a fresh WORK; sets document to the copy and
# document_md5 to its digest, so a check can tell it was never written.
function(old_format_copy name)
  file(REMOVE_RECURSE "${WORK}")
  file(MAKE_DIRECTORY "${WORK}")
  file(COPY "${DIR}/${name}" DESTINATION "${WORK}")
  file(MD5 "${WORK}/${name}" md5)
  set(document "${WORK}/${name}" PARENT_SCOPE)
  set(document_md5 "${md5}" PARENT_SCOPE)
endfunction()

# The file renders, with the render options that follow, as DIR/EXPECTED;
# err holds what the render said on standard error.
function(expect_output file expected)
  execute_process(COMMAND "${CLI}" render "${file}" ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out
                  ERROR_VARIABLE err)
  file(READ "${DIR}/${expected}" art)
  if(NOT status EQUAL 0 OR NOT out STREQUAL art)
    file(WRITE "${WORK}/rendered.txt" "${out}")
    message(FATAL_ERROR "${file} does not render as ${expected} (status ${status}); "
                        "diff ${DIR}/${expected} ${WORK}/rendered.txt\n${err}")
  endif()
  set(err "${err}" PARENT_SCOPE)
endfunction()

# The file's format, as SQLite's user_version in its header holds it.
function(expect_version file version)
  file(READ "${file}" found OFFSET 60 LIMIT 4 HEX)
  math(EXPR found "0x${found}")
  if(NOT found EQUAL version)
    message(FATAL_ERROR "${file} holds file format ${found}, not ${version}")
  endif()
endfunction()

# Plays the script (its pieces given joined) on the document opened, in
# WORK; the document read must stay as it was.
function(play_on_document script)
  string(CONCAT text "${script}" ${ARGN})
  file(WRITE "${WORK}/resave.script" "${text}")
  execute_process(COMMAND "${CLI}" run resave.script --open "${document}" WORKING_DIRECTORY "${WORK}"
                  RESULT_VARIABLE status ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${document} could not be saved again (status ${status}):\n${err}")
  endif()
  file(MD5 "${document}" after)
  if(NOT document_md5 STREQUAL after)
    message(FATAL_ERROR "opening and saving elsewhere changed ${document}")
  endif()
endfunction()
