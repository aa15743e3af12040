# Imports one corpus diagram with virlo-cli and checks what came in:
#   the art renders back exactly (--trim; --style unicode for box drawing),
#   and the document's objects, counted from `virlo-cli dump`, are those
#   NAME.expect lists.
# NAME.expect holds the counts, one "kind: N" a line, and optionally
#   comment: "PREFIX"   the art sits in a comment block with this prefix
#                       (read with --comment, and found without it);
#   stderr: "TEXT"      the import says TEXT on standard error (any number).
#   opening: "LINE"     the art's first line is a comment's opening line and
#   closing: "LINE"     its last one the closing line: no part of the art, both
#                       left out of it and named on standard error.
# Run as: cmake -DCLI=... -DART=NAME.txt -DEXPECT=NAME.expect -DWORK=DIR -P CheckCorpus.cmake
get_filename_component(name "${ART}" NAME_WE)
file(READ "${ART}" art)
file(READ "${EXPECT}" expected)
file(MAKE_DIRECTORY "${WORK}")
set(document "${WORK}/${name}.vrl")
file(REMOVE "${document}")

set(comment_args "")
if(expected MATCHES "comment: \"([^\"]*)\"")
  set(comment_args --comment "${CMAKE_MATCH_1}")
endif()
execute_process(COMMAND "${CLI}" import "${ART}" --output "${document}" ${comment_args}
                RESULT_VARIABLE status ERROR_VARIABLE err)
set(import_err "${err}")
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${name}: import failed with status ${status}:\n${err}")
endif()
# The report of what was made is on standard error, and --quiet drops it.
string(FIND "${err}" "virlo-cli: imported " reported)
execute_process(COMMAND "${CLI}" import "${ART}" --output "${document}" ${comment_args} --quiet
                RESULT_VARIABLE status ERROR_VARIABLE quiet_err)
string(FIND "${quiet_err}" "virlo-cli: imported " reported_quietly)
if(reported EQUAL -1 OR NOT status EQUAL 0 OR NOT reported_quietly EQUAL -1)
  message(FATAL_ERROR "${name}: the import reports what it made only without --quiet:\n${err}\n--quiet:\n${quiet_err}")
endif()
string(REGEX MATCHALL "stderr: \"[^\"]*\"" said "${expected}")
foreach(line IN LISTS said)
  string(REGEX REPLACE "^stderr: \"(.*)\"$" "\\1" text "${line}")
  string(FIND "${err}" "${text}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${name}: the import does not say \"${text}\"; it says:\n${err}")
  endif()
endforeach()
# Where the expected report is given, its list of line art left as text is whole.
if(said)
  string(REGEX MATCHALL "left as text" listed "${said}")
  string(REGEX MATCHALL "left as text" reported_pieces "${err}")
  list(LENGTH listed listed_count)
  list(LENGTH reported_pieces reported_count)
  if(NOT listed_count EQUAL reported_count)
    message(FATAL_ERROR "${name}: the import lists ${reported_count} pieces of line art left as text, "
                        "not ${listed_count}:\n${err}")
  endif()
endif()

# A comment's opening and closing lines are said, and not given back.
if(expected MATCHES "opening: \"([^\n]*)\"\n")
  set(opening "${CMAKE_MATCH_1}")
  string(REGEX MATCH "closing: \"([^\n]*)\"\n" closing "${expected}")
  set(closing "${CMAKE_MATCH_1}")
  string(FIND "${err}" "opening line \"${opening}\" and closing line \"${closing}\" are no part of the art" named)
  string(FIND "${art}" "${opening}\n" opening_at)
  string(FIND "${art}" "\n${closing}\n" closing_at REVERSE)
  if(named EQUAL -1 OR NOT opening_at EQUAL 0 OR closing_at EQUAL -1)
    message(FATAL_ERROR "${name}: the comment's lines \"${opening}\" and \"${closing}\" are not left out:\n${err}")
  endif()
  string(LENGTH "${opening}\n" skip)
  math(EXPR inside "${closing_at} + 1 - ${skip}")
  string(SUBSTRING "${art}" ${skip} ${inside} art)
endif()

set(style_args "")
string(FIND "${art}" "─" across)
string(FIND "${art}" "│" down)
if(across GREATER -1 OR down GREATER -1)
  set(style_args --style unicode)
endif()
execute_process(COMMAND "${CLI}" render "${document}" --trim ${style_args} ${comment_args}
                RESULT_VARIABLE status OUTPUT_VARIABLE rendered ERROR_VARIABLE err)
if(NOT status EQUAL 0 OR NOT rendered STREQUAL art)
  file(WRITE "${WORK}/${name}.rendered" "${rendered}")
  message(FATAL_ERROR "${name}: the art does not come back exactly (status ${status}); "
                      "diff ${ART} ${WORK}/${name}.rendered\n${err}")
endif()

execute_process(COMMAND "${CLI}" dump "${document}" RESULT_VARIABLE status OUTPUT_VARIABLE dump ERROR_VARIABLE err)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${name}: dump failed with status ${status}:\n${err}")
endif()

# Counted as the art shows structure: line ends are those of free lines, and
# an end with a host line rests on it or is docked beside it;
# a box's own sides are inside the box's record; a dot rests on the line
# that is its parent; a label rests on the line it names.
foreach(kind boxes framed_texts lines joined_ends resting_ends dots resting_dots texts resting_texts)
  set(${kind} 0)
endforeach()
string(JSON count LENGTH "${dump}" objects)
math(EXPR last "${count} - 1")
foreach(i RANGE ${last})
  string(JSON object GET "${dump}" objects ${i})
  string(JSON type GET "${object}" type)
  if(type STREQUAL "Box")
    math(EXPR boxes "${boxes} + 1")
  elseif(type STREQUAL "StrBox")
    string(JSON frame GET "${object}" fields frame)
    if(frame EQUAL 0)
      math(EXPR texts "${texts} + 1")
      string(JSON rest TYPE "${object}" fields restLine)
      if(NOT rest STREQUAL "NULL")
        math(EXPR resting_texts "${resting_texts} + 1")
      endif()
    else()
      math(EXPR framed_texts "${framed_texts} + 1")
    endif()
  elseif(type STREQUAL "Line")
    math(EXPR lines "${lines} + 1")
    foreach(end start end)
      string(JSON partner TYPE "${object}" fields "${end}.partner")
      string(JSON host TYPE "${object}" fields "${end}.hostLine")
      if(NOT partner STREQUAL "NULL")
        math(EXPR joined_ends "${joined_ends} + 1")
      endif()
      if(NOT host STREQUAL "NULL")
        math(EXPR resting_ends "${resting_ends} + 1")
      endif()
    endforeach()
  elseif(type STREQUAL "Dot")
    math(EXPR dots "${dots} + 1")
    string(JSON host TYPE "${object}" fields parent)
    if(NOT host STREQUAL "NULL")
      math(EXPR resting_dots "${resting_dots} + 1")
    endif()
  endif()
endforeach()

set(found "")
foreach(kind boxes framed_texts lines joined_ends resting_ends dots resting_dots texts resting_texts)
  string(REPLACE "_" " " label "${kind}")
  string(APPEND found "${label}: ${${kind}}\n")
endforeach()
string(FIND "${expected}" "${found}" at)
if(at EQUAL -1)
  message(FATAL_ERROR "${name}: the document holds\n${found}which is not what ${EXPECT} lists")
endif()

# Art in a comment block is found as such without --comment: the prefix is
# named, and the document is the same one.
if(comment_args)
  set(found_document "${WORK}/${name}.found.vrl")
  file(REMOVE "${found_document}")
  execute_process(COMMAND "${CLI}" import "${ART}" --output "${found_document}"
                  RESULT_VARIABLE status ERROR_VARIABLE err)
  list(GET comment_args 1 prefix)
  string(FIND "${err}" "comment prefix \"${prefix}\"" named)
  if(NOT status EQUAL 0 OR named EQUAL -1)
    message(FATAL_ERROR "${name}: without --comment the prefix \"${prefix}\" was not found (status ${status}):\n${err}")
  endif()
  execute_process(COMMAND "${CLI}" render "${found_document}" --trim ${style_args} ${comment_args}
                  RESULT_VARIABLE status OUTPUT_VARIABLE again)
  if(NOT status EQUAL 0 OR NOT again STREQUAL rendered)
    message(FATAL_ERROR "${name}: the document read without --comment differs from the one read with it")
  endif()
else()
  # Art drawn with "#", "--" or ">" at the start of its lines is no comment.
  string(FIND "${import_err}" "comment prefix" named)
  if(NOT named EQUAL -1)
    message(FATAL_ERROR "${name}: a comment prefix was found in art that has none:\n${err}")
  endif()
endif()
