# A document of file format 1 opens unchanged and saves in the present
# format. format1.vrl was made by format1.script with a VIRLO that wrote
# format 1; format1.txt is the art that VIRLO rendered of it.
#   Its art is format1.txt; its dump shows the fields added since as 0
#   (a text box's rest on a line as null); the file read stays as it was; a
#   save writes the present format with the same art, and what format 2
#   adds is saved and dumped.
# Called as: cmake -DCLI=... -DDIR=<tests/data> -DWORK=<dir> -P CheckFormat1.cmake
include("${DIR}/OldFormat.cmake")
old_format_copy(format1.vrl)

# The format version a document file holds: SQLite's user_version, at byte 60.
expect_version("${document}" 1)
expect_output("${document}" format1.txt)

# Markers are the table's, strokes solid, corners square, no docked end
# short of its side: 26 line ends and dots, 24 line ends, 12 lines and box
# sides, 2 boxes.
execute_process(COMMAND "${CLI}" dump "${document}" RESULT_VARIABLE status OUTPUT_VARIABLE dump)
string(REGEX MATCHALL "\"restLine\": null" rests "${dump}")
list(LENGTH rests rest_count)
if(NOT rest_count EQUAL 1)
  message(FATAL_ERROR "the dump of format1.vrl shows ${rest_count} text boxes resting on nothing, not 1:\n${dump}")
endif()
foreach(field_count IN ITEMS "character:26" "gap:24" "stroke:12" "corners:2")
  string(REPLACE ":" ";" pair "${field_count}")
  list(GET pair 0 field)
  list(GET pair 1 count)
  string(REGEX MATCHALL "\"([a-z.]*\\.)?${field}\": -?[0-9]+" all "${dump}")
  string(REGEX MATCHALL "\"([a-z.]*\\.)?${field}\": 0[,\n]" zeros "${dump}\n")
  list(LENGTH all n)
  list(LENGTH zeros z)
  if(NOT status EQUAL 0 OR NOT n EQUAL count OR NOT z EQUAL count)
    message(FATAL_ERROR "the dump of format1.vrl shows ${n} '${field}' fields, ${z} of them 0, not ${count}:\n${dump}")
  endif()
endforeach()

# Saved again: the new file is of the present format, the one read is untouched.
play_on_document("save \"saved.vrl\"\ntool select\npress 20 24\nrelease 20 24\nstroke double\ncorners rounded\n"
                 "save \"formatted.vrl\"\n")
expect_version("${WORK}/saved.vrl" ${present_format})
expect_output("${WORK}/saved.vrl" format1.txt)
execute_process(COMMAND "${CLI}" dump "${WORK}/formatted.vrl" OUTPUT_VARIABLE dump)
foreach(field IN ITEMS "\"top.stroke\": 2" "\"left.stroke\": 2" "\"corners\": 1")
  string(FIND "${dump}" "${field}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the box formatted after opening format1.vrl does not dump ${field}:\n${dump}")
  endif()
endforeach()
