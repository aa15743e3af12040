# A document of file format 2, whose texts are code page 932 bytes, opens
# unchanged and saves in the present format, its texts in UTF-8.
# format2_text.vrl was made by format2_text.script with a VIRLO that wrote format 2.
#   Its art is format2_text.txt: kanji, kana and half-width kana as they were;
#   ○ → ■ α, two bytes and two columns in the code page, take one cell each
#   as a UTF-8 terminal shows them and a blank after each, so every text
#   keeps its columns. In code page 932 it is format2_text.cp932.txt, the
#   bytes it printed before, those four written as themselves again; only
#   the marker the code page lacks is a substitute, counted; the dump shows
#   the texts in UTF-8; the file read stays as it was; a save writes the
#   present format with the same art and texts, and reads back the same.
# Called as: cmake -DCLI=... -DDIR=<tests/data> -DWORK=<dir> -P CheckFormat2Text.cmake
include("${DIR}/OldFormat.cmake")
old_format_copy(format2_text.vrl)

function(expect_texts file)
  execute_process(COMMAND "${CLI}" dump "${file}" RESULT_VARIABLE status OUTPUT_VARIABLE dump)
  foreach(text IN ITEMS "開始 ｶﾅ" "○ → ■  α \\\\u000d\\\\u000a日本語" "済み\\\\u000d\\\\u000a○  完了")
    if(NOT status EQUAL 0 OR NOT dump MATCHES "\"text\": \"${text}\"")
      message(FATAL_ERROR "the dump of ${file} does not show the text '${text}' in UTF-8:\n${dump}")
    endif()
  endforeach()
endfunction()

expect_version("${document}" 2)
expect_output("${document}" format2_text.txt)
expect_output("${document}" format2_text.cp932.txt --encoding cp932)
if(NOT err STREQUAL "virlo-cli: 1 characters that code page 932 cannot hold were written as their substitutes\n")
  message(FATAL_ERROR "the code page 932 art of format2_text.vrl does not count its 1 substitute:\n${err}")
endif()
expect_texts("${document}")

# Saved again: the new file is of the present format, the one read is untouched.
play_on_document("save \"saved.vrl\"\n")
expect_version("${WORK}/saved.vrl" ${present_format})
expect_output("${WORK}/saved.vrl" format2_text.txt)
expect_texts("${WORK}/saved.vrl")
