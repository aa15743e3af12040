# The manual's tables of menus, keys and script words are made from the
# command table: this check fails while a document's copy differs from what
# `virlo-cli help commands` prints, and with -DUPDATE=ON writes them anew.
# Each document marks its copy with a BEGIN and an END line naming the format.
# Run as: cmake -DCLI=... -DROOT=... [-DUPDATE=ON] -P CheckCommandDocs.cmake
cmake_minimum_required(VERSION 3.25)

set(stale "")
foreach(entry IN ITEMS "docs/manual.md|--markdown|<!-- BEGIN virlo-cli help commands --markdown -->|<!-- END virlo-cli help commands -->"
                       "man/virlo.1|--man|.\\\" BEGIN virlo-cli help commands --man|.\\\" END virlo-cli help commands")
  string(REPLACE "|" ";" parts "${entry}")
  list(GET parts 0 doc)
  list(GET parts 1 format)
  list(GET parts 2 begin)
  list(GET parts 3 end)
  execute_process(COMMAND "${CLI}" help commands ${format} OUTPUT_VARIABLE tables RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "virlo-cli help commands ${format} failed: ${status}")
  endif()
  file(READ "${ROOT}/${doc}" text)
  string(FIND "${text}" "${begin}\n" first)
  string(FIND "${text}" "${end}\n" last)
  if(first EQUAL -1 OR last EQUAL -1 OR last LESS first)
    message(FATAL_ERROR "${doc} has no '${begin}' ... '${end}' block")
  endif()
  string(LENGTH "${begin}\n" begin_length)
  math(EXPR inside "${first} + ${begin_length}")
  math(EXPR length "${last} - ${inside}")
  string(SUBSTRING "${text}" ${inside} ${length} present)
  if(NOT present STREQUAL tables)
    if(UPDATE)
      string(SUBSTRING "${text}" 0 ${inside} head)
      string(SUBSTRING "${text}" ${last} -1 tail)
      file(WRITE "${ROOT}/${doc}" "${head}${tables}${tail}")
      message(STATUS "wrote the tables of ${doc} anew")
    else()
      string(APPEND stale "  ${doc}\n")
    endif()
  endif()
endforeach()
if(stale)
  message(FATAL_ERROR "The command tables differ from the command table in:\n${stale}"
                      "Write them anew with: cmake --build build --target update_command_docs")
endif()
