cmake_minimum_required(VERSION 3.25)
# Writes the English of the program's texts, read from the Qt translation
# file, as a C++ table, so the Qt-free core and virlo-cli speak English too.
# Called as: cmake -DTS=translations/virlo_en.ts -DOUTPUT=.../UiTranslations.cpp -P GenerateUiTranslations.cmake
file(READ "${TS}" text)
# CMake lists split at semicolons: keep them out of the way until the end.
string(REPLACE ";" "@SEMICOLON@" text "${text}")

function(virlo_unescape_xml out value)
  string(REPLACE "&lt@SEMICOLON@" "<" value "${value}")
  string(REPLACE "&gt@SEMICOLON@" ">" value "${value}")
  string(REPLACE "&quot@SEMICOLON@" "\"" value "${value}")
  string(REPLACE "&apos@SEMICOLON@" "'" value "${value}")
  string(REPLACE "&amp@SEMICOLON@" "&" value "${value}")
  set(${out} "${value}" PARENT_SCOPE)
endfunction()

set(rows "")
while(TRUE)
  string(FIND "${text}" "<context>" start)
  if(start EQUAL -1)
    break()
  endif()
  string(SUBSTRING "${text}" ${start} -1 text)
  string(FIND "${text}" "</context>" end)
  string(SUBSTRING "${text}" 0 ${end} context)
  string(SUBSTRING "${text}" ${end} -1 text)
  string(REGEX MATCH "<name>([^<]*)</name>" unused "${context}")
  set(name "${CMAKE_MATCH_1}")
  string(REGEX MATCHALL "<source>[^<]*</source>[ \t\r\n]*<translation>[^<]*</translation>" messages "${context}")
  foreach(message IN LISTS messages)
    string(REGEX MATCH "<source>([^<]*)</source>[ \t\r\n]*<translation>([^<]*)</translation>" unused "${message}")
    virlo_unescape_xml(source "${CMAKE_MATCH_1}")
    virlo_unescape_xml(english "${CMAKE_MATCH_2}")
    string(APPEND rows "    {R\"virlo(${name})virlo\", R\"virlo(${source})virlo\", R\"virlo(${english})virlo\"},\n")
  endforeach()
endwhile()
string(REPLACE "@SEMICOLON@" ";" rows "${rows}")

file(WRITE "${OUTPUT}.new" "// Made by cmake/GenerateUiTranslations.cmake from translations/virlo_en.ts.
#include \"platform/UiTranslations.h\"

namespace virlo {
namespace {
const UiTranslation translations[] = {
${rows}};
}  // namespace

std::span<const UiTranslation> EnglishTranslations() { return translations; }

}  // namespace virlo
")
# Untouched when unchanged, so nothing rebuilds for nothing.
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.new")
