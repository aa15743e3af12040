#pragma once

#include <QDialog>

namespace virlo {

// The version information box.
class AboutDialog : public QDialog {
  Q_OBJECT

 public:
  explicit AboutDialog(QWidget* parent = nullptr);
};

}  // namespace virlo
