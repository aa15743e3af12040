# A document of file format 3 opens unchanged and saves in the present
# format. format3.vrl was made by format3.script with a VIRLO that wrote
# format 3; format3.txt is the art that VIRLO rendered of it.
#   Its art is format3.txt; its dump keeps what format 3 holds (a text in
#   UTF-8, a text resting on the arrow) and shows what format 4 adds, the
#   rows of imported art kept as read, as none; the file read stays as it
#   was; a save writes the present format with the same art and dump.
# Called as: cmake -DCLI=... -DDIR=<tests/data> -DWORK=<dir> -P CheckFormat3.cmake
include("${DIR}/OldFormat.cmake")
old_format_copy(format3.vrl)

function(expect_dump file)
  execute_process(COMMAND "${CLI}" dump "${file}" RESULT_VARIABLE status OUTPUT_VARIABLE dump)
  foreach(field IN ITEMS "\"keptRows.text\": null" "\"keptRows.length\": 0" "\"text\": \"日本 → note\"")
    string(FIND "${dump}" "${field}" at)
    if(NOT status EQUAL 0 OR at EQUAL -1)
      message(FATAL_ERROR "the dump of ${file} lacks ${field}:\n${dump}")
    endif()
  endforeach()
  if(NOT dump MATCHES "\"restLine\": \\[[0-9]+, 0\\]")
    message(FATAL_ERROR "the dump of ${file} shows no text resting on a line:\n${dump}")
  endif()
endfunction()

expect_version("${document}" 3)
expect_output("${document}" format3.txt)
expect_dump("${document}")

# Saved again: the new file is of the present format, the one read is untouched.
play_on_document("save \"saved.vrl\"\n")
expect_version("${WORK}/saved.vrl" ${present_format})
expect_output("${WORK}/saved.vrl" format3.txt)
expect_dump("${WORK}/saved.vrl")
