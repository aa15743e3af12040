#include "app/AboutDialog.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "app/Icons.h"

namespace virlo {

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QCoreApplication::translate("AboutDialog", "ﾊﾞｰｼﾞｮﾝ情報(Plenko)"));
  auto* layout = new QGridLayout(this);
  auto* icon = new QLabel(this);
  icon->setPixmap(Icons::Application().pixmap(32, 32));
  auto* text = new QLabel(QCoreApplication::translate("AboutDialog", "VIRLO Version 1.7"), this);
  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  auto* picture = new QLabel(this);
  picture->setPixmap(Icons::AboutPicture());
  layout->addWidget(icon, 0, 0, Qt::AlignTop);
  layout->addWidget(text, 0, 1, Qt::AlignTop);
  layout->addWidget(ok, 0, 2, Qt::AlignTop);
  layout->addWidget(picture, 1, 1, Qt::AlignCenter);
}

}  // namespace virlo
