#include "dialogs/MarkerDialog.h"

#include <cstdio>
#include <optional>

#include "objects/Dot.h"
#include "objects/MarkerTable.h"
#include "platform/Utf8.h"

namespace virlo {

void MarkerDialog::DoDataExchange(DataExchange& dx) {
  DialogControl& list = dx.Control(MarkerList);
  if (list.items.empty()) {
    for (std::int32_t type = 0; type < MarkerTable::Count; ++type) {
      list.items.emplace_back(MarkerTable::Entry(type));
    }
    list.items.emplace_back(MarkerTable::CharacterEntry());
    list.value = dot_->marker;
    DialogControl& edit = dx.Control(CharacterEdit);
    edit.text = dot_->HasCharacter() ? Utf8::Encode(static_cast<char32_t>(dot_->character)) : "";
    edit.textLimit = 1;
    edit.textUnit = TextUnit::Characters;
  }
  if (list.value == MarkerTable::Character) {
    const std::string& text = dx.Control(CharacterEdit).text;
    const std::optional<char32_t> code = Utf8::Single(text);
    if (code && dot_->SetCharacter(*code)) return;
    if (!dx.SaveAndValidate()) return;
    if (!code) {
      dx.Fail(CharacterEdit, UiText(VIRLO_UI_TEXT("MarkerDialog", "端点にする文字を 1 文字入力してください。")));
      return;
    }
    // Named by its number: the character itself may not show, or may act.
    char number[16];
    std::snprintf(number, sizeof number, "U+%04X", static_cast<unsigned>(*code));
    dx.Fail(CharacterEdit,
            UiText(VIRLO_UI_TEXT("MarkerDialog", "%1 は端点に使えない文字です (空白、制御文字、結合文字など)。"),
                   {number}));
    return;
  }
  // The marker is always one of the list's indices; a list without a selection keeps it.
  if (MarkerTable::IsValid(list.value)) {
    dot_->marker = list.value;
    dot_->character = 0;
  }
}

}  // namespace virlo
