# A document of file format 2 opens unchanged and saves in the present
# format. format2.vrl was made by format2.script with a VIRLO that wrote
# format 2; format2.txt is the art that VIRLO rendered of it.
#   Its art is format2.txt; its dump keeps what format 2 holds (a marker's
#   character, strokes, rounded corners) and shows what format 3 adds as
#   none (no gap, no text resting on a line); the file read stays as it was;
#   a save writes the present format with the same art.
# Called as: cmake -DCLI=... -DDIR=<tests/data> -DWORK=<dir> -P CheckFormat2.cmake
include("${DIR}/OldFormat.cmake")
old_format_copy(format2.vrl)

# The dump of a file: what format 2 holds is there, and what format 3 adds
# reads as nothing: 38 line ends with no gap, 2 text boxes resting on nothing.
function(expect_dump file)
  execute_process(COMMAND "${CLI}" dump "${file}" RESULT_VARIABLE status OUTPUT_VARIABLE dump)
  string(REGEX MATCHALL "\"([a-z.]*\\.)?gap\": 0[,\n]" gaps "${dump}\n")
  string(REGEX MATCHALL "\"restLine\": null" rests "${dump}")
  list(LENGTH gaps gap_count)
  list(LENGTH rests rest_count)
  if(NOT status EQUAL 0 OR NOT gap_count EQUAL 38 OR NOT rest_count EQUAL 2)
    message(FATAL_ERROR "the dump of ${file} shows ${gap_count} ends without a gap and ${rest_count} texts "
                        "resting on nothing, not 38 and 2:\n${dump}")
  endif()
  foreach(field IN ITEMS "\"end.character\": 118" "\"top.stroke\": 1" "\"corners\": 1" "\"stroke\": 3")
    string(FIND "${dump}" "${field}" at)
    if(at EQUAL -1)
      message(FATAL_ERROR "the dump of ${file} lacks ${field}:\n${dump}")
    endif()
  endforeach()
endfunction()

expect_version("${document}" 2)
expect_output("${document}" format2.txt)
expect_dump("${document}")

# Saved again: the new file is of the present format, the one read is untouched.
play_on_document("save \"saved.vrl\"\n")
expect_version("${WORK}/saved.vrl" ${present_format})
expect_output("${WORK}/saved.vrl" format2.txt)
expect_dump("${WORK}/saved.vrl")
