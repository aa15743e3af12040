#pragma once

#include "platform/Dialog.h"

namespace virlo {

class Dot;

// The marker picker ("端点選択"): a list of the sixteen marker table entries;
// the selected entry becomes the dot's marker.
class DotSelDialog : public Dialog {
 public:
  static constexpr std::int32_t TemplateId = 140;
  static constexpr std::int32_t MarkerList = 1016;

  explicit DotSelDialog(Dot* dot) : Dialog(TemplateId), dot_(dot) {}

  Dot* GetDot() const { return dot_; }

 protected:
  void DoDataExchange(DataExchange& dx) override;

 private:
  Dot* dot_;
};

}  // namespace virlo
