#include "app/Icons.h"

#include <QPainter>
#include <QPainterPath>

#include "control/CommandIds.h"
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

void Page(QPainter& p, int w, int h) {
  p.setBrush(Qt::white);
  p.drawRect(2, 1, w - 5, h - 2);
}

}  // namespace

QIcon Icons::ForCommand(int id, QSize size) {
  switch (id) {
    case CommandId::FileNew:
      return Draw(size, [](QPainter& p, int w, int h) { Page(p, w, h); });
    case CommandId::FileOpen:
      return Draw(size, [](QPainter& p, int w, int h) {
        p.setBrush(QColor(255, 220, 120));
        p.drawRect(1, 4, w - 3, h - 6);
        p.drawLine(1, 4, 4, 2);
        p.drawLine(4, 2, 7, 2);
      });
    case CommandId::FileSave:
      return Draw(size, [](QPainter& p, int w, int h) {
        p.setBrush(QColor(80, 80, 200));
        p.drawRect(1, 1, w - 2, h - 2);
        p.setBrush(Qt::white);
        p.drawRect(4, 1, w - 8, 5);
      });
    case CommandId::EditCut:
      return Draw(size, [](QPainter& p, int w, int h) {
        p.drawLine(3, 1, w - 4, h - 5);
        p.drawLine(w - 4, 1, 3, h - 5);
        p.drawEllipse(1, h - 5, 4, 4);
        p.drawEllipse(w - 6, h - 5, 4, 4);
      });
    case CommandId::EditCopy:
      return Draw(size, [](QPainter& p, int w, int h) {
        p.setBrush(Qt::white);
        p.drawRect(1, 1, w / 2 + 1, h / 2 + 2);
        p.drawRect(w / 2 - 2, h / 2 - 2, w / 2 + 1, h / 2 + 1);
      });
    case CommandId::EditPaste:
      return Draw(size, [](QPainter& p, int w, int h) {
        p.setBrush(QColor(190, 140, 80));
        p.drawRect(1, 2, w - 4, h - 3);
        p.setBrush(Qt::white);
        p.drawRect(w / 2 - 1, h / 2 - 2, w / 2, h / 2 + 1);
      });
    case CommandId::FilePrint:
      return Draw(size, [](QPainter& p, int w, int h) {
        Page(p, w, h);
        for (int y = 4; y < h - 2; y += 3) p.drawLine(4, y, w - 5, y);
      });
    case CommandId::ClipboardPrint:
      return Draw(size, [](QPainter& p, int w, int h) {
        p.setBrush(QColor(190, 140, 80));
        p.drawRect(1, 2, w - 3, h - 3);
        for (int y = 5; y < h - 2; y += 3) p.drawLine(3, y, w - 4, y);
      });
    case CommandId::AppAbout:
      return Draw(size, [](QPainter& p, int w, int h) {
        p.setBrush(QColor(255, 255, 160));
        p.drawEllipse(1, 1, w - 2, h - 2);
        p.drawText(QRect(0, 0, w + 1, h + 1), Qt::AlignCenter, QStringLiteral("?"));
      });
    case CommandId::ToolSelect:
      return Draw(size, [](QPainter& p, int, int) {
        QPainterPath arrow;
        arrow.moveTo(3, 1);
        arrow.lineTo(3, 12);
        arrow.lineTo(6, 9);
        arrow.lineTo(9, 13);
        arrow.lineTo(10, 12);
        arrow.lineTo(7, 8);
        arrow.lineTo(11, 8);
        arrow.closeSubpath();
        p.setBrush(Qt::white);
        p.drawPath(arrow);
      });
    case CommandId::ToolDot:
      return Draw(size, [](QPainter& p, int w, int h) {
        p.setBrush(Qt::white);
        p.drawEllipse(w / 2 - 4, h / 2 - 4, 8, 8);
      });
    case CommandId::ToolLine:
      return Draw(size, [](QPainter& p, int w, int h) {
        p.drawLine(2, h / 2, w - 2, h / 2);
        p.drawLine(w / 2, 2, w / 2, h / 2);
      });
    case CommandId::ToolBox:
      return Draw(size, [](QPainter& p, int w, int h) { p.drawRect(2, 3, w - 4, h - 6); });
    case CommandId::ToolStrBox:
      return Draw(size, [](QPainter& p, int w, int h) {
        p.drawRect(1, 2, w - 2, h - 4);
        QFont font = p.font();
        font.setPixelSize(h - 5);
        p.setFont(font);
        p.drawText(QRect(1, 2, w - 1, h - 4), Qt::AlignCenter, QStringLiteral("A"));
      });
    case CommandId::EditUndo:
    case CommandId::EditRedo: {
      const bool undo = id == CommandId::EditUndo;
      return Draw(size, [undo](QPainter& p, int w, int h) {
        p.setPen(QPen(QColor(0, 0, 160), 2));
        QPainterPath path;
        path.moveTo(undo ? w - 2 : 2, h - 3);
        path.cubicTo(undo ? w - 2 : 2, 3, undo ? 4 : w - 4, 3, undo ? 4 : w - 4, 6);
        p.drawPath(path);
        p.setPen(QPen(QColor(0, 0, 160), 1));
        p.setBrush(QColor(0, 0, 160));
        const int x = undo ? 4 : w - 4;
        const QPoint head[] = {{x - 3, 5}, {x + 3, 5}, {x, 9}};
        p.drawPolygon(head, 3);
      });
    }
    case CommandId::BringToFront:
    case CommandId::SendToBack: {
      const bool front = id == CommandId::BringToFront;
      return Draw(size, [front](QPainter& p, int w, int h) {
        const QRect back(1, 1, w / 2 + 2, h / 2 + 2);
        const QRect ahead(w / 2 - 3, h / 2 - 3, w / 2 + 2, h / 2 + 2);
        p.setBrush(front ? QColor(200, 200, 200) : Qt::white);
        p.drawRect(front ? back : ahead);
        p.setBrush(front ? Qt::white : QColor(200, 200, 200));
        p.drawRect(front ? ahead : back);
      });
    }
    case CommandId::EditDelete:
      return Draw(size, [](QPainter& p, int w, int h) {
        p.setPen(QPen(QColor(200, 0, 0), 2));
        p.drawLine(3, 3, w - 3, h - 3);
        p.drawLine(w - 3, 3, 3, h - 3);
      });
    default:
      return {};
  }
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
