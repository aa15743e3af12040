#pragma once

#include <QDialog>

namespace virlo {

// The version information box.
class CAboutDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CAboutDlg(QWidget* parent = nullptr);
};

}  // namespace virlo
