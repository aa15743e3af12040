#pragma once

#include <QFont>
#include <QRect>
#include <functional>

#include "platform/Clipboard.h"
#include "platform/DialogRunner.h"

class QDialog;
class QWidget;

namespace virlo {

// Shows the core dialogs as Qt dialogs: the marker picker, the text dialog
// and the print dialog. Each opens with the values of its opening exchange;
// OK copies the widgets back into the dialog's controls and runs the closing
// exchange, and a refusal keeps the dialog open on the refused field.
class QtDialogRunner : public DialogRunner, public Clipboard {
 public:
  explicit QtDialogRunner(std::function<QWidget*()> owner);
  ~QtDialogRunner() override;

  DialogResult Run(Dialog& dialog) override;
  void Message(const UiText& text, const UiText& caption) override;
  bool SetText(const std::string& utf8, std::string& error) override;
  bool HasText() const override;
  std::string Text() const override;

  // Called with every dialog once it is shown, before the user acts (tests drive it from here).
  void SetShownHook(std::function<void(QDialog&)> hook) { shown_ = std::move(hook); }

  // Where a dialog offered in place goes: the widget showing the sheet, the
  // sheet area in its coordinates, and the pixels a drawing unit takes there.
  struct InPlaceSpot {
    QWidget* over = nullptr;
    QRect where;
    double scale = 1.0;
  };
  // Finds the spot for a sheet area; false when nothing shows the sheet.
  using InPlaceHost = std::function<bool(const Rect& area, InPlaceSpot& spot)>;
  void SetInPlaceHost(InPlaceHost host, const QFont& font) {
    inPlaceHost_ = std::move(host);
    inPlaceFont_ = font;
  }
  // Whether text dialogs offered in place are typed in place.
  void SetTypeInPlace(bool on) { typeInPlace_ = on; }
  bool TypeInPlace() const { return typeInPlace_; }

 private:
  DialogResult RunInPlace(Dialog& dialog, const InPlaceSpot& spot);

  std::function<QWidget*()> owner_;
  InPlaceHost inPlaceHost_;
  QFont inPlaceFont_;
  bool typeInPlace_ = false;
  std::function<void(QDialog&)> shown_;
  DialogRunner* previousRunner_;
  Clipboard* previousClipboard_;
};

}  // namespace virlo
