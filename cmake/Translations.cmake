# The program's texts are written in Japanese; translations/ holds their
# English. Qt's lupdate and lrelease (Debian's qt6-l10n-tools) are called
# directly, which needs no more of Qt's tools than these two.
find_package(Qt6 REQUIRED COMPONENTS Core)
set(virlo_qt_tools_hints "${QT6_INSTALL_PREFIX}/${QT6_INSTALL_BINS}" "${QT6_INSTALL_PREFIX}/${QT6_INSTALL_LIBEXECS}"
    /usr/lib/qt6/bin)
find_program(VIRLO_LUPDATE NAMES lupdate-qt6 lupdate HINTS ${virlo_qt_tools_hints} NO_CACHE)
find_program(VIRLO_LRELEASE NAMES lrelease-qt6 lrelease HINTS ${virlo_qt_tools_hints} NO_CACHE)
if(NOT VIRLO_LUPDATE OR NOT VIRLO_LRELEASE)
  message(FATAL_ERROR "Qt 6's lupdate and lrelease are needed: install qt6-l10n-tools (scripts/setup.sh does)")
endif()

set(VIRLO_TRANSLATION_SOURCE ${PROJECT_SOURCE_DIR}/translations/virlo_en.ts)
# lupdate reads the core's own markers as Qt's.
set(VIRLO_LUPDATE_OPTIONS
  -locations none
  -source-language ja
  -target-language en
  -extensions cpp,h
  -tr-function-alias QT_TRANSLATE_NOOP+=VIRLO_TR_NOOP,QT_TRANSLATE_NOOP+=VIRLO_UI_TEXT)

# `cmake --build build --target update_translations` brings the .ts file in
# line with the sources: new texts come in unfinished, gone ones go.
add_custom_target(update_translations
  COMMAND ${VIRLO_LUPDATE} ${VIRLO_LUPDATE_OPTIONS} -no-obsolete ${PROJECT_SOURCE_DIR}/src
          -ts ${VIRLO_TRANSLATION_SOURCE}
  WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
  COMMENT "Updating translations/virlo_en.ts from the sources"
  VERBATIM)

# Compiles the translation for target and builds it into target as the
# resource :/translations/virlo_en.qm.
function(virlo_add_translations target)
  set(qm ${CMAKE_CURRENT_BINARY_DIR}/virlo_en.qm)
  add_custom_command(OUTPUT ${qm}
    COMMAND ${VIRLO_LRELEASE} -silent ${VIRLO_TRANSLATION_SOURCE} -qm ${qm}
    DEPENDS ${VIRLO_TRANSLATION_SOURCE}
    COMMENT "Compiling the English translation"
    VERBATIM)
  qt_add_resources(${target} virlo_translations PREFIX /translations BASE ${CMAKE_CURRENT_BINARY_DIR} FILES ${qm})
endfunction()
