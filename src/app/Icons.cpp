#include "app/Icons.h"

#include <QPainter>
#include <QSvgRenderer>

#include "control/CommandTable.h"

namespace virlo {
namespace {

// Draws one picture into a pixmap of the given size, on a transparent ground.
template <class Paint>
QIcon Draw(QSize size, Paint paint) {
  QPixmap pixmap(size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setPen(QPen(Qt::black, 1));
  paint(p, size.width() - 1, size.height() - 1);
  return QIcon(pixmap);
}

}  // namespace

QIcon Icons::ForCommand(int id, QSize size) {
  const CommandInfo* info = CommandTable::Find(id);
  if (info == nullptr || *info->icon == '\0') return {};
  QSvgRenderer svg(QStringLiteral(":/toolbar/%1.svg").arg(QString::fromLatin1(info->icon)));
  if (!svg.isValid()) return {};
  QPixmap pixmap(size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  svg.render(&painter);
  return QIcon(pixmap);
}

QIcon Icons::Application() {
  return Draw(QSize(32, 32), [](QPainter& p, int w, int h) {
    p.setBrush(Qt::white);
    p.drawRect(0, 0, w, h);
    QFont font(QStringLiteral("Noto Sans Mono CJK JP"));
    font.setPixelSize(9);
    p.setFont(font);
    p.drawText(QRect(1, 1, w - 1, h - 1), Qt::AlignLeft | Qt::AlignTop, QStringLiteral("+--+\n|AB|->\n+--+"));
  });
}

QPixmap Icons::AboutPicture() {
  QPixmap pixmap(164, 48);
  pixmap.fill(Qt::white);
  QPainter p(&pixmap);
  QFont font(QStringLiteral("Noto Sans Mono CJK JP"));
  font.setPixelSize(12);
  p.setFont(font);
  p.drawText(pixmap.rect(), Qt::AlignCenter, QStringLiteral("+-------+\n| VIRLO |--->\n+-------+"));
  return pixmap;
}

}  // namespace virlo
