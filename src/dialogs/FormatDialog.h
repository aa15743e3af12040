#pragma once

#include <optional>
#include <vector>

#include "model/Stroke.h"
#include "platform/Dialog.h"

namespace virlo {

class DrawObj;

// The format dialog ("書式"): the stroke of lines and box sides (five radio
// buttons) and the corners of boxes (two). It opens on the values the
// objects share; a group they differ in has no choice, and changes nothing
// unless one is made; the corners are greyed out when no box is among them.
// Both exchanges write the choices into the objects.
class FormatDialog : public Dialog {
 public:
  static constexpr std::int32_t TemplateId = 144;
  // The first of the stroke buttons, in Stroke's order.
  static constexpr std::int32_t StrokeButton = 1030;
  // The first of the corner buttons: square, rounded.
  static constexpr std::int32_t CornersButton = 1035;

  // Lines and boxes (text boxes included); other objects are passed over.
  explicit FormatDialog(std::vector<DrawObj*> objects);

  // Sets the stroke of every line (each side of a box) and the corners of
  // every box given; true when anything changed.
  static bool Apply(const std::vector<DrawObj*>& objects, std::optional<Stroke> stroke,
                    std::optional<std::int32_t> corners);

 protected:
  void DoDataExchange(DataExchange& dx) override;

 private:
  std::vector<DrawObj*> objects_;
  std::int32_t stroke_ = -1;
  std::int32_t corners_ = -1;
  bool boxes_ = false;
};

}  // namespace virlo
