# Fails when a file of src/ includes a header of a layer above its own, so the
# layers stay as docs/architecture.md draws them. Run by the build and as a
# test:  cmake -DSRC=.../src -P CheckLayers.cmake
#
# Each folder may include its own headers and those of the folders listed
# for it here; objects/ (the diagram) stands on model/ (the canvas,
# strings and lists); dialogs/ (the dialogs that edit objects) stands on
# objects/ and under tools/, which open them; tools/, document/ and export/
# stand side by side on objects/, and import/ on export/ (an import is held to the art as render
# gives it); hostfile/ (diagrams in the blocks of text files) on import/;
# script/ replays sessions over
# control/. cli/ and view/ do not see each other;
# app/ is the desktop program on top of view/.
cmake_minimum_required(VERSION 3.25)

set(allowed_platform platform)
set(allowed_store store platform)
set(allowed_model model store platform)
set(allowed_objects objects ${allowed_model})
set(allowed_dialogs dialogs ${allowed_objects})
set(allowed_tools tools ${allowed_dialogs})
set(allowed_document document ${allowed_objects})
set(allowed_export export ${allowed_objects})
set(allowed_import import export ${allowed_objects})
set(allowed_hostfile hostfile ${allowed_import})
set(allowed_control control document hostfile import tools dialogs export ${allowed_objects})
set(allowed_script script ${allowed_control})
set(allowed_cli cli script export ${allowed_control})
set(allowed_view view export ${allowed_control})
set(allowed_app app ${allowed_view})
set(layers platform store model objects dialogs tools document export import hostfile control script cli view app)

set(faults "")
foreach(layer IN LISTS layers)
  file(GLOB_RECURSE files "${SRC}/${layer}/*.h" "${SRC}/${layer}/*.cpp")
  foreach(file IN LISTS files)
    file(STRINGS "${file}" includes REGEX "^[ \t]*#[ \t]*include[ \t]+\"[a-z]+/")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]+\"([a-z]+)/.*$" "\\1" folder "${line}")
      if(folder IN_LIST layers AND NOT folder IN_LIST allowed_${layer})
        file(RELATIVE_PATH name "${SRC}" "${file}")
        string(APPEND faults "  ${name}: ${line}\n")
      endif()
    endforeach()
  endforeach()
endforeach()
if(faults)
  message(FATAL_ERROR "Includes that point up a layer:\n${faults}")
endif()
