#pragma once

#include <QMimeData>

namespace virlo {

// A text edit that pastes text only. A clipboard with nothing on it hands
// Qt's text edits a mime object of no format at all, and their paste of it
// crashes; a paste without text has nothing for a text box anyway.
template <class Edit>
class TextPaste : public Edit {
 public:
  using Edit::Edit;

 protected:
  bool canInsertFromMimeData(const QMimeData* source) const override {
    return source != nullptr && source->hasText() && Edit::canInsertFromMimeData(source);
  }
  void insertFromMimeData(const QMimeData* source) override {
    if (source == nullptr || !source->hasText()) return;
    Edit::insertFromMimeData(source);
  }
};

}  // namespace virlo
