# Fails when translations/virlo_en.ts is not complete for the sources: lupdate
# brings a copy of it in line with them, and the copy may then hold no text
# that is new or untranslated (unfinished), none whose source is gone
# (vanished, obsolete) and no empty translation.
# -DLUPDATE=... -DSOURCES=src/ -DTS=virlo_en.ts -DWORK=dir -DOPTIONS=a;b;c
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
get_filename_component(name ${TS} NAME)
set(copy ${WORK}/${name})
file(COPY_FILE ${TS} ${copy})
execute_process(COMMAND ${LUPDATE} ${OPTIONS} ${SOURCES} -ts ${copy}
                RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "lupdate failed (${status}):\n${output}")
endif()
file(READ ${copy} ts)
# A semicolon in a text would split the list of messages.
string(REPLACE ";" "(semicolon)" ts "${ts}")
string(REGEX MATCHALL "<message>[^<]*<source>[^<]*</source>[^<]*<translation( type=\"(unfinished|vanished|obsolete)\")?>[^<]*</translation>"
       messages "${ts}")
set(problems "")
set(count 0)
foreach(message IN LISTS messages)
  math(EXPR count "${count} + 1")
  string(REGEX MATCH "<source>([^<]*)</source>" ignored "${message}")
  set(source "${CMAKE_MATCH_1}")
  if(message MATCHES "type=\"unfinished\"")
    string(APPEND problems "  not translated: ${source}\n")
  elseif(message MATCHES "type=\"(vanished|obsolete)\"")
    string(APPEND problems "  no longer in the sources: ${source}\n")
  elseif(message MATCHES "<translation></translation>")
    string(APPEND problems "  empty translation: ${source}\n")
  endif()
endforeach()
# A message the pattern above did not read (numerus forms, comments) is not checked: refuse it.
string(REGEX MATCHALL "<message[ >]" all "${ts}")
list(LENGTH all total)
if(NOT total EQUAL count)
  string(APPEND problems "  ${total} messages, of which only ${count} could be checked\n")
endif()
if(total EQUAL 0)
  string(APPEND problems "  no messages at all\n")
endif()
if(problems)
  message(FATAL_ERROR "${name} is not complete for the sources "
                      "(run the update_translations target, then translate):\n${problems}")
endif()
message(STATUS "${name}: ${count} messages, all translated")
