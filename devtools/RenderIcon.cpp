// Renders one of our icon SVGs to a square PNG at build time, so the PNG
// sizes always follow the SVG. It knows only the few SVG features our icons
// use (rect and path with absolute M L H V Q C Z, fill, stroke and their
// width, cap and join) and refuses anything else rather than draw it wrong.
//   virlo-render-icon IN.svg OUT.png SIZE
#include <QColor>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRegularExpression>
#include <QXmlStreamReader>
#include <cstdio>
#include <vector>

namespace {

struct Style {
  QString fill = QStringLiteral("#000000");
  QString stroke = QStringLiteral("none");
  double strokeWidth = 1;
  Qt::PenCapStyle cap = Qt::FlatCap;
  Qt::PenJoinStyle join = Qt::MiterJoin;
};

bool Fail(const QString& why) {
  std::fprintf(stderr, "virlo-render-icon: %s\n", qPrintable(why));
  return false;
}

bool ToNumber(const QString& text, double& value) {
  bool ok = false;
  value = text.toDouble(&ok);
  return ok;
}

bool ValidColor(const QString& text) { return text == QStringLiteral("none") || QColor::isValidColorName(text); }

// Reads the presentation attributes an element may carry into its style.
bool ApplyStyle(const QXmlStreamAttributes& attributes, Style& style) {
  for (const QXmlStreamAttribute& a : attributes) {
    const QString name = a.qualifiedName().toString();
    const QString value = a.value().toString();
    if (name == QStringLiteral("fill")) {
      if (!ValidColor(value)) return Fail(QStringLiteral("bad fill '%1'").arg(value));
      style.fill = value;
    } else if (name == QStringLiteral("stroke")) {
      if (!ValidColor(value)) return Fail(QStringLiteral("bad stroke '%1'").arg(value));
      style.stroke = value;
    } else if (name == QStringLiteral("stroke-width")) {
      if (!ToNumber(value, style.strokeWidth)) return Fail(QStringLiteral("bad stroke-width '%1'").arg(value));
    } else if (name == QStringLiteral("stroke-linecap")) {
      if (value == QStringLiteral("round")) {
        style.cap = Qt::RoundCap;
      } else if (value == QStringLiteral("square")) {
        style.cap = Qt::SquareCap;
      } else if (value == QStringLiteral("butt")) {
        style.cap = Qt::FlatCap;
      } else {
        return Fail(QStringLiteral("bad stroke-linecap '%1'").arg(value));
      }
    } else if (name == QStringLiteral("stroke-linejoin")) {
      if (value == QStringLiteral("round")) {
        style.join = Qt::RoundJoin;
      } else if (value == QStringLiteral("bevel")) {
        style.join = Qt::BevelJoin;
      } else if (value == QStringLiteral("miter")) {
        style.join = Qt::MiterJoin;
      } else {
        return Fail(QStringLiteral("bad stroke-linejoin '%1'").arg(value));
      }
    }
  }
  return true;
}

// Every attribute must be one this renderer honours.
bool OnlyKnownAttributes(const QXmlStreamAttributes& attributes, const QStringList& geometry) {
  static const QStringList presentation = {QStringLiteral("fill"), QStringLiteral("stroke"),
                                           QStringLiteral("stroke-width"), QStringLiteral("stroke-linecap"),
                                           QStringLiteral("stroke-linejoin")};
  for (const QXmlStreamAttribute& a : attributes) {
    const QString name = a.qualifiedName().toString();
    if (!presentation.contains(name) && !geometry.contains(name)) {
      return Fail(QStringLiteral("unsupported attribute '%1'").arg(name));
    }
  }
  return true;
}

bool ParsePath(const QString& d, QPainterPath& path) {
  static const QRegularExpression token(QStringLiteral("[A-Za-z]|[-+]?(?:\\d+\\.?\\d*|\\.\\d+)(?:[eE][-+]?\\d+)?"));
  static const QRegularExpression separators(QStringLiteral("[\\s,]*"));
  std::vector<QString> tokens;
  qsizetype at = 0;
  while (at < d.size()) {
    const QRegularExpressionMatch gap =
        separators.match(d, at, QRegularExpression::NormalMatch, QRegularExpression::AnchorAtOffsetMatchOption);
    at += gap.capturedLength();
    if (at >= d.size()) break;
    const QRegularExpressionMatch m =
        token.match(d, at, QRegularExpression::NormalMatch, QRegularExpression::AnchorAtOffsetMatchOption);
    if (!m.hasMatch()) return Fail(QStringLiteral("bad path data at '%1'").arg(d.mid(at, 10)));
    tokens.push_back(m.captured());
    at += m.capturedLength();
  }
  QChar command;
  QPointF current;
  std::size_t i = 0;
  auto numbers = [&](int count, std::vector<double>& out) {
    out.clear();
    for (int k = 0; k < count; ++k) {
      double v = 0;
      if (i >= tokens.size() || !ToNumber(tokens[i], v)) return false;
      out.push_back(v);
      ++i;
    }
    return true;
  };
  std::vector<double> n;
  while (i < tokens.size()) {
    if (tokens[i].size() == 1 && tokens[i][0].isLetter()) {
      command = tokens[i][0];
      ++i;
      if (command == QLatin1Char('Z')) {
        path.closeSubpath();
        current = path.currentPosition();
        continue;
      }
    } else if (command.isNull() || command == QLatin1Char('Z')) {
      return Fail(QStringLiteral("path data must start with a command"));
    }
    const char c = command.toLatin1();
    const int count = c == 'M' || c == 'L' ? 2 : c == 'H' || c == 'V' ? 1 : c == 'Q' ? 4 : c == 'C' ? 6 : -1;
    if (count < 0) return Fail(QStringLiteral("unsupported path command '%1'").arg(command));
    if (!numbers(count, n)) return Fail(QStringLiteral("path command '%1' lacks numbers").arg(command));
    switch (c) {
      case 'M':
        current = {n[0], n[1]};
        path.moveTo(current);
        command = QLatin1Char('L');  // further pairs draw lines
        break;
      case 'L':
        current = {n[0], n[1]};
        path.lineTo(current);
        break;
      case 'H':
        current.setX(n[0]);
        path.lineTo(current);
        break;
      case 'V':
        current.setY(n[0]);
        path.lineTo(current);
        break;
      case 'Q':
        current = {n[2], n[3]};
        path.quadTo({n[0], n[1]}, current);
        break;
      case 'C':
        current = {n[4], n[5]};
        path.cubicTo({n[0], n[1]}, {n[2], n[3]}, current);
        break;
    }
  }
  return true;
}

void Paint(QPainter& painter, const QPainterPath& shape, const Style& style) {
  if (style.fill != QStringLiteral("none")) painter.fillPath(shape, QColor(style.fill));
  if (style.stroke != QStringLiteral("none")) {
    painter.strokePath(shape, QPen(QColor(style.stroke), style.strokeWidth, Qt::SolidLine, style.cap, style.join));
  }
}

bool Render(const QString& input, const QString& output, int size) {
  QFile file(input);
  if (!file.open(QIODevice::ReadOnly)) return Fail(QStringLiteral("cannot read '%1'").arg(input));
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  std::vector<Style> styles;
  bool sawRoot = false;
  QXmlStreamReader xml(&file);
  while (!xml.atEnd()) {
    xml.readNext();
    if (xml.isEndElement()) {
      styles.pop_back();
      continue;
    }
    if (!xml.isStartElement()) continue;
    const QString name = xml.name().toString();
    const QXmlStreamAttributes attributes = xml.attributes();
    Style style = styles.empty() ? Style() : styles.back();
    if (!ApplyStyle(attributes, style)) return false;
    styles.push_back(style);
    if (!sawRoot) {
      if (name != QStringLiteral("svg")) return Fail(QStringLiteral("the root is not <svg>"));
      if (!OnlyKnownAttributes(attributes, {QStringLiteral("xmlns"), QStringLiteral("width"), QStringLiteral("height"),
                                            QStringLiteral("viewBox")})) {
        return false;
      }
      const QStringList box = attributes.value(QStringLiteral("viewBox")).toString().split(QLatin1Char(' '));
      double width = 0;
      double height = 0;
      if (box.size() != 4 || box[0] != QStringLiteral("0") || box[1] != QStringLiteral("0") ||
          !ToNumber(box[2], width) || !ToNumber(box[3], height) || width != height || width <= 0) {
        return Fail(QStringLiteral("the viewBox must be a square '0 0 N N'"));
      }
      painter.scale(size / width, size / width);
      sawRoot = true;
    } else if (name == QStringLiteral("g")) {
      if (!OnlyKnownAttributes(attributes, {})) return false;
    } else if (name == QStringLiteral("rect")) {
      if (!OnlyKnownAttributes(attributes, {QStringLiteral("x"), QStringLiteral("y"), QStringLiteral("width"),
                                            QStringLiteral("height"), QStringLiteral("rx")})) {
        return false;
      }
      double x = 0, y = 0, w = 0, h = 0, rx = 0;
      const QString rxText = attributes.value(QStringLiteral("rx")).toString();
      if (!ToNumber(attributes.value(QStringLiteral("x")).toString(), x) ||
          !ToNumber(attributes.value(QStringLiteral("y")).toString(), y) ||
          !ToNumber(attributes.value(QStringLiteral("width")).toString(), w) ||
          !ToNumber(attributes.value(QStringLiteral("height")).toString(), h) ||
          (!rxText.isEmpty() && !ToNumber(rxText, rx))) {
        return Fail(QStringLiteral("a <rect> needs numeric x, y, width and height"));
      }
      QPainterPath shape;
      shape.addRoundedRect(QRectF(x, y, w, h), rx, rx);
      Paint(painter, shape, style);
    } else if (name == QStringLiteral("path")) {
      if (!OnlyKnownAttributes(attributes, {QStringLiteral("d")})) return false;
      QPainterPath shape;
      if (!ParsePath(attributes.value(QStringLiteral("d")).toString(), shape)) return false;
      Paint(painter, shape, style);
    } else {
      return Fail(QStringLiteral("unsupported element <%1>").arg(name));
    }
  }
  if (xml.hasError()) return Fail(QStringLiteral("%1: %2").arg(input, xml.errorString()));
  if (!sawRoot) return Fail(QStringLiteral("'%1' holds no <svg>").arg(input));
  painter.end();
  if (!image.save(output, "PNG")) return Fail(QStringLiteral("cannot write '%1'").arg(output));
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  bool ok = argc == 4;
  const int size = ok ? QString::fromLocal8Bit(argv[3]).toInt(&ok) : 0;
  if (!ok || size < 16 || size > 1024) {
    std::fputs("usage: virlo-render-icon IN.svg OUT.png SIZE (16 to 1024)\n", stderr);
    return 2;
  }
  return Render(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]), size) ? 0 : 1;
}
