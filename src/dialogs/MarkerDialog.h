#pragma once

#include "platform/Dialog.h"

namespace virlo {

class Dot;

// The marker picker ("端点選択"): a list of the sixteen marker table entries
// and, last, the entry for a character of the user's own, typed into a field
// of one character. The selected entry becomes the dot's marker.
class MarkerDialog : public Dialog {
 public:
  static constexpr std::int32_t TemplateId = 140;
  static constexpr std::int32_t MarkerList = 1016;
  // The character, in UTF-8; it counts while the last entry is selected.
  static constexpr std::int32_t CharacterEdit = 1017;

  explicit MarkerDialog(Dot* dot) : Dialog(TemplateId, UiText(VIRLO_UI_TEXT("MarkerDialog", "端点選択"))), dot_(dot) {}

 protected:
  void DoDataExchange(DataExchange& dx) override;

 private:
  Dot* dot_;
};

}  // namespace virlo
