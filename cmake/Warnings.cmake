# Warnings every target of ours compiles with.
add_library(virlo_warnings INTERFACE)
target_compile_options(virlo_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wconversion -Wsign-conversion
  $<$<CXX_COMPILER_ID:GNU>:-Wshadow=local>
  -Wnon-virtual-dtor -Woverloaded-virtual -Wold-style-cast)
if(VIRLO_WERROR)
  target_compile_options(virlo_warnings INTERFACE -Werror)
endif()
