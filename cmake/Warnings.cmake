# Warnings every target of ours compiles with.
add_library(virlo_warnings INTERFACE)
target_compile_options(virlo_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wconversion -Wsign-conversion
  $<$<CXX_COMPILER_ID:GNU>:-Wshadow=local>
  # One statement per line: no comma operator joining statements.
  $<$<CXX_COMPILER_ID:Clang>:-Wcomma>
  -Wnon-virtual-dtor -Woverloaded-virtual -Wold-style-cast)
if(VIRLO_WERROR)
  target_compile_options(virlo_warnings INTERFACE -Werror)
endif()
