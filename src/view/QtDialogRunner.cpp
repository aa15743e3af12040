#include "view/QtDialogRunner.h"

#include <QApplication>
#include <QButtonGroup>
#include <QClipboard>
#include <QDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

#include "dialogs/FormatDialog.h"
#include "dialogs/MarkerDialog.h"
#include "dialogs/PrintDialog.h"
#include "dialogs/TextDialog.h"
#include "platform/TextCodec.h"
#include "view/InPlaceEditor.h"
#include "view/QtDeviceContext.h"
#include "view/TextPaste.h"
#include "view/Translations.h"

namespace virlo {
namespace {

QFont DialogFont(bool fixedPitch) {
  QFont font;
  // The CJK faces are not tagged monospace by fontconfig; a tagged face comes
  // first, so the marker characters stand in one column, and the CJK face
  // draws the Japanese.
  font.setFamilies(fixedPitch ? QStringList{QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Noto Sans Mono CJK JP")}
                              : QStringList{QStringLiteral("Noto Sans CJK JP")});
  font.setPointSize(9);
  if (fixedPitch) {
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
  }
  return font;
}

// The pictures of the text dialog's buttons: black strokes on button grey.
QIcon ButtonImage(std::int32_t bitmap) {
  const QSize size = bitmap == TextDialog::CentreImage ? QSize(17, 16) : QSize(18, 17);
  QPixmap pixmap(size);
  pixmap.fill(QColor(192, 192, 192));
  QPainter p(&pixmap);
  p.setPen(Qt::black);
  const int w = size.width();
  if (bitmap == TextDialog::FrameImage) {
    p.drawRect(3, 3, w - 7, size.height() - 7);
    for (const QPoint& corner :
         {QPoint(3, 3), QPoint(w - 4, 3), QPoint(3, size.height() - 4), QPoint(w - 4, size.height() - 4)}) {
      p.fillRect(corner.x() - 1, corner.y() - 1, 3, 3, Qt::black);
    }
    return QIcon(pixmap);
  }
  const int lengths[] = {12, 8, 12, 6};
  for (int i = 0; i < 4; ++i) {
    const int length = lengths[i];
    int x = 3;
    if (bitmap == TextDialog::CentreImage) x = (w - length) / 2;
    if (bitmap == TextDialog::RightImage) x = w - 3 - length;
    p.drawLine(x, 3 + i * 3, x + length - 1, 3 + i * 3);
  }
  return QIcon(pixmap);
}

QString FromCp932(const std::string& bytes) { return QtDeviceContext::ToQString(bytes); }

// A marker entry ("<  左矢"): its marker as it is, its description translated.
QString MarkerEntry(const std::string& entry) {
  const QString text = FromCp932(entry);
  const qsizetype space = text.indexOf(QLatin1Char(' '));
  if (space < 0) return text;
  qsizetype start = space;
  while (start < text.size() && text.at(start) == QLatin1Char(' ')) ++start;
  const QString description = text.mid(start);
  return text.left(start) + QCoreApplication::translate("MarkerDialog", description.toUtf8().constData());
}

// What one character of an edit costs against its limit. A line break is
// kept as CR LF; counted in code page 932 bytes, a character the code page
// lacks counts as a double-byte one.
qsizetype CharacterLength(const QString& character, TextUnit unit) {
  constexpr qsizetype LineBreak = 2;
  constexpr qsizetype DoubleByte = 2;
  if (character == QStringLiteral("\n")) return LineBreak;
  if (unit == TextUnit::Characters) return 1;
  const std::optional<std::string> bytes = TextCodec::Utf8ToCp932(character.toStdString());
  return bytes ? static_cast<qsizetype>(bytes->size()) : DoubleByte;
}

// The UTF-16 length of the character at index, a surrogate pair taken whole.
qsizetype CharacterWidth(const QString& text, qsizetype index) {
  const bool pair = text.at(index).isHighSurrogate() && index + 1 < text.size() && text.at(index + 1).isLowSurrogate();
  return pair ? 2 : 1;
}

// The length of text against a limit; counting stops once it passes cap,
// so a huge paste is not measured to its end.
qsizetype TextLength(const QString& text, TextUnit unit, qsizetype cap = -1) {
  qsizetype length = 0;
  for (qsizetype i = 0; i < text.size() && (cap < 0 || length <= cap); i += CharacterWidth(text, i)) {
    length += CharacterLength(text.mid(i, CharacterWidth(text, i)), unit);
  }
  return length;
}

// How much of the front of text fits into room, in UTF-16 units; no character is split.
qsizetype FittingPrefix(const QString& text, qsizetype room, TextUnit unit) {
  qsizetype used = 0;
  qsizetype i = 0;
  while (i < text.size()) {
    const qsizetype width = CharacterWidth(text, i);
    const qsizetype cost = CharacterLength(text.mid(i, width), unit);
    if (used + cost > room) break;
    used += cost;
    i += width;
  }
  return i;
}

// Where an edit put new text: the range [start, end) of now that was not
// there before. The insertion ends at the cursor when what follows it is
// unchanged; otherwise the texts' common ends tell.
std::pair<qsizetype, qsizetype> InsertedRange(const QString& before, const QString& now, qsizetype cursor) {
  qsizetype end = cursor;
  const qsizetype tail = now.size() - end;
  const bool atCursor =
      end >= 0 && tail >= 0 && tail <= before.size() && QStringView(now).mid(end) == QStringView(before).right(tail);
  if (!atCursor) {
    qsizetype same = 0;
    while (same < now.size() && same < before.size() &&
           now.at(now.size() - 1 - same) == before.at(before.size() - 1 - same)) {
      ++same;
    }
    end = now.size() - same;
  }
  const qsizetype kept = std::min(end, before.size() - (now.size() - end));
  qsizetype start = 0;
  while (start < kept && now.at(start) == before.at(start)) ++start;
  // Never begin inside a surrogate pair.
  if (start > 0 && start < now.size() && now.at(start).isLowSurrogate()) --start;
  return {start, std::max(start, end)};
}

// Holds a multi-line edit to its control's limit while the user types or
// pastes: what goes beyond it is cut from the end of the insertion, in the
// same undo step. Text the edit opened with is left alone.
template <class Edit>
void LimitText(Edit* edit, const DialogControl& control, std::function<void()> cut = nullptr) {
  if (control.textLimit <= 0) return;
  const qsizetype limit = control.textLimit;
  const TextUnit unit = control.textUnit;
  auto accepted = std::make_shared<QString>(edit->toPlainText());
  QObject::connect(edit->document(), &QTextDocument::contentsChanged, edit, [edit, accepted, limit, unit, cut] {
    const QString now = edit->toPlainText();
    if (TextLength(now, unit, limit) <= limit) {
      *accepted = now;
      return;
    }
    const auto [start, end] = InsertedRange(*accepted, now, edit->textCursor().position());
    const qsizetype rest = TextLength(now.left(start), unit) + TextLength(now.mid(end), unit);
    const qsizetype keep = FittingPrefix(now.mid(start, end - start), std::max<qsizetype>(0, limit - rest), unit);
    if (start + keep < end) {
      // Told first: the cut below changes the text again, and that change shows it.
      if (cut) cut();
      QTextCursor cursor(edit->document());
      cursor.setPosition(static_cast<int>(start + keep));
      cursor.setPosition(static_cast<int>(end), QTextCursor::KeepAnchor);
      cursor.joinPreviousEditBlock();
      cursor.removeSelectedText();
      cursor.endEditBlock();
    }
    *accepted = edit->toPlainText();
  });
}

// A modal dialog with OK and Cancel on the right, as the templates place them.
// The buttons take their place in the tab order where AddButtons makes them.
class FrameDialog : public QDialog {
 public:
  FrameDialog(QWidget* owner, const QString& caption, bool fixedPitch) : QDialog(owner) {
    setWindowTitle(caption);
    setFont(DialogFont(fixedPitch));
  }
  void AddButtons() {
    ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    ok->setObjectName(QStringLiteral("ok"));
    cancel = new QPushButton(QCoreApplication::translate("QtDialogRunner", "ｷｬﾝｾﾙ"), this);
    cancel->setObjectName(QStringLiteral("cancel"));
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  }
  QPushButton* ok = nullptr;
  QPushButton* cancel = nullptr;
};

// The text as a text box keeps it: UTF-8 with CR LF line breaks.
std::string BoxText(QString typed) {
  typed.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
  return typed.toStdString();
}

// Why the text cannot be taken, in the core's words; empty when it can.
QString Refusal(const QString& text) {
  const std::optional<UiText> refusal = TextDialog::Refusal(BoxText(text));
  return refusal ? Translations::Of(*refusal) : QString();
}

// A dialog made for one run: the window, how its widgets are copied into the
// dialog's controls before the closing exchange (false when the input cannot
// even be put there), and how a refused control takes the focus.
struct BuiltDialog {
  std::unique_ptr<FrameDialog> window;
  std::function<bool()> collect;
  std::function<void(std::int32_t)> focus;
};

// The marker picker: the list, the character entry under it, the buttons on the right.
BuiltDialog BuildMarkerDialog(Dialog& dialog, QWidget* owner) {
  BuiltDialog built;
  built.window = std::make_unique<FrameDialog>(owner, Translations::Of(dialog.Title()), true);
  built.window->AddButtons();
  auto* list = new QListWidget(built.window.get());
  list->setObjectName(QStringLiteral("markerList"));
  DialogControl& control = dialog.Control(MarkerDialog::MarkerList);
  for (const std::string& item : control.items) list->addItem(MarkerEntry(item));
  list->setCurrentRow(control.value);
  // The last entry's character: typing one chooses that entry.
  auto* character =
      new QLineEdit(QString::fromStdString(dialog.Control(MarkerDialog::CharacterEdit).text), built.window.get());
  character->setObjectName(QStringLiteral("markerCharacter"));
  character->setMaximumWidth(48);
  const int characterRow = list->count() - 1;
  QObject::connect(character, &QLineEdit::textEdited, list,
                   [list, characterRow](const QString&) { list->setCurrentRow(characterRow); });
  // Labelled, so a user finds where a marker of his own character is typed.
  auto* label = new QLabel(QCoreApplication::translate("QtDialogRunner", "文字:"), built.window.get());
  label->setObjectName(QStringLiteral("markerCharacterLabel"));
  label->setBuddy(character);
  auto* characterLine = new QHBoxLayout();
  characterLine->addWidget(label);
  characterLine->addWidget(character);
  characterLine->addStretch();
  auto* layout = new QHBoxLayout(built.window.get());
  auto* left = new QVBoxLayout();
  left->addWidget(list);
  left->addLayout(characterLine);
  layout->addLayout(left);
  auto* buttons = new QVBoxLayout();
  buttons->addWidget(built.window->ok);
  buttons->addWidget(built.window->cancel);
  buttons->addStretch();
  layout->addLayout(buttons);
  QObject::connect(list, &QListWidget::itemDoubleClicked, built.window->ok, &QPushButton::click);
  // The arrow keys move in the list at once.
  list->setFocus();
  built.collect = [&dialog, list, character] {
    dialog.Control(MarkerDialog::MarkerList).value = list->currentRow();
    dialog.Control(MarkerDialog::CharacterEdit).text = character->text().toStdString();
    return true;
  };
  built.focus = [list, character](std::int32_t id) {
    if (id == MarkerDialog::CharacterEdit) {
      character->setFocus();
      character->selectAll();
    } else {
      list->setFocus();
    }
  };
  return built;
}

// The text dialog: alignment and frame buttons over the text.
BuiltDialog BuildTextDialog(Dialog& dialog, QWidget* owner) {
  BuiltDialog built;
  built.window = std::make_unique<FrameDialog>(owner, Translations::Of(dialog.Title()), false);
  // The text comes first in the tab order and has the focus: typing goes
  // there at once, and Tab leads on to the buttons.
  QPlainTextEdit* edit = new TextPaste<QPlainTextEdit>(built.window.get());
  edit->setObjectName(QStringLiteral("text"));
  edit->setLineWrapMode(QPlainTextEdit::NoWrap);
  edit->setTabChangesFocus(true);
  QString opening = QString::fromStdString(dialog.Control(TextDialog::TextEdit).text);
  edit->setPlainText(opening.remove(QLatin1Char('\r')));
  LimitText(edit, dialog.Control(TextDialog::TextEdit));
  edit->setMinimumSize(260, 180);
  edit->setFocus();
  auto* grid = new QGridLayout(built.window.get());
  auto* buttons = new QHBoxLayout();
  auto* group = new QButtonGroup(built.window.get());
  const std::pair<std::int32_t, const char*> alignments[] = {
      {TextDialog::LeftButton, QT_TRANSLATE_NOOP("QtDialogRunner", "左")},
      {TextDialog::CentreButton, QT_TRANSLATE_NOOP("QtDialogRunner", "中")},
      {TextDialog::RightButton, QT_TRANSLATE_NOOP("QtDialogRunner", "右")}};
  std::vector<QToolButton*> radios;
  for (const auto& [id, text] : alignments) {
    auto* button = new QToolButton(built.window.get());
    button->setText(QCoreApplication::translate("QtDialogRunner", text));
    button->setToolTip(button->text());
    button->setCheckable(true);
    button->setIcon(ButtonImage(dialog.Control(id).image));
    button->setObjectName(QStringLiteral("align%1").arg(id));
    group->addButton(button, static_cast<int>(radios.size()));
    buttons->addWidget(button);
    radios.push_back(button);
  }
  group->setExclusive(true);
  const std::int32_t alignment = dialog.Control(TextDialog::LeftButton).value;
  if (alignment >= 0 && alignment < 3) radios[static_cast<std::size_t>(alignment)]->setChecked(true);
  auto* frame = new QToolButton(built.window.get());
  frame->setText(QCoreApplication::translate("QtDialogRunner", "枠"));
  frame->setToolTip(frame->text());
  frame->setCheckable(true);
  frame->setIcon(ButtonImage(dialog.Control(TextDialog::FrameButton).image));
  frame->setObjectName(QStringLiteral("frame"));
  frame->setChecked(dialog.Control(TextDialog::FrameButton).value != 0);
  buttons->addSpacing(8);
  buttons->addWidget(frame);
  buttons->addStretch();
  built.window->AddButtons();
  buttons->addWidget(built.window->ok);
  buttons->addWidget(built.window->cancel);
  grid->addLayout(buttons, 0, 0);
  grid->addWidget(edit, 1, 0);
  built.collect = [&dialog, edit, group, frame] {
    dialog.Control(TextDialog::TextEdit).text = BoxText(edit->toPlainText());
    dialog.Control(TextDialog::LeftButton).value = group->checkedId();
    dialog.Control(TextDialog::FrameButton).value = frame->isChecked() ? 1 : 0;
    return true;
  };
  built.focus = [edit](std::int32_t) { edit->setFocus(); };
  return built;
}

// The format dialog: one row of choices for the stroke, one for the corners.
BuiltDialog BuildFormatDialog(Dialog& dialog, QWidget* owner) {
  BuiltDialog built;
  built.window = std::make_unique<FrameDialog>(owner, Translations::Of(dialog.Title()), false);
  // One group of choices a row: a group the objects differ in opens with none.
  auto choices = [&](const char* title, std::int32_t first, std::initializer_list<const char*> captions,
                     const char* name) {
    auto* box = new QGroupBox(QCoreApplication::translate("QtDialogRunner", title), built.window.get());
    auto* row = new QHBoxLayout(box);
    auto* group = new QButtonGroup(box);
    int index = 0;
    for (const char* caption : captions) {
      auto* button = new QRadioButton(QCoreApplication::translate("QtDialogRunner", caption), box);
      button->setObjectName(QStringLiteral("%1%2").arg(QLatin1String(name)).arg(index));
      group->addButton(button, index++);
      row->addWidget(button);
    }
    row->addStretch();
    if (QAbstractButton* chosen = group->button(dialog.Control(first).value)) chosen->setChecked(true);
    box->setEnabled(dialog.Control(first).enabled);
    return std::pair{box, group};
  };
  const auto [strokes, strokeGroup] =
      choices(QT_TRANSLATE_NOOP("QtDialogRunner", "線種"), FormatDialog::StrokeButton,
              {QT_TRANSLATE_NOOP("QtDialogRunner", "実線"), QT_TRANSLATE_NOOP("QtDialogRunner", "太線"),
               QT_TRANSLATE_NOOP("QtDialogRunner", "二重線"), QT_TRANSLATE_NOOP("QtDialogRunner", "破線"),
               QT_TRANSLATE_NOOP("QtDialogRunner", "点線")},
              "stroke");
  const auto [corners, cornerGroup] =
      choices(QT_TRANSLATE_NOOP("QtDialogRunner", "枠の角"), FormatDialog::CornersButton,
              {
                  QT_TRANSLATE_NOOP("QtDialogRunner", "角"),
                  QT_TRANSLATE_NOOP("QtDialogRunner", "丸"),
              },
              "corners");
  built.window->AddButtons();
  auto* grid = new QGridLayout(built.window.get());
  grid->addWidget(strokes, 0, 0);
  grid->addWidget(corners, 1, 0);
  auto* buttons = new QVBoxLayout();
  buttons->addWidget(built.window->ok);
  buttons->addWidget(built.window->cancel);
  buttons->addStretch();
  grid->addLayout(buttons, 0, 1, 2, 1);
  QButtonGroup* strokeChoice = strokeGroup;
  QButtonGroup* cornerChoice = cornerGroup;
  built.collect = [&dialog, strokeChoice, cornerChoice] {
    dialog.Control(FormatDialog::StrokeButton).value = strokeChoice->checkedId();
    dialog.Control(FormatDialog::CornersButton).value = cornerChoice->checkedId();
    return true;
  };
  built.focus = [](std::int32_t) {};
  return built;
}

// The print dialog: the size of the sheet and the file name.
BuiltDialog BuildPrintDialog(Dialog& dialog, QWidget* owner) {
  BuiltDialog built;
  built.window = std::make_unique<FrameDialog>(owner, Translations::Of(dialog.Title()), false);
  built.window->AddButtons();
  auto* grid = new QGridLayout(built.window.get());
  auto spin = [&](std::int32_t id, const char* name) {
    auto* box = new QSpinBox(built.window.get());
    box->setObjectName(QString::fromUtf8(name));
    // Only the check on OK binds; the spin box itself takes any count.
    box->setRange(0, 99999);
    box->setAlignment(Qt::AlignRight);
    box->setValue(QString::fromStdString(dialog.Control(id).text).toInt());
    return box;
  };
  QSpinBox* columns = spin(PrintDialog::ColumnsEdit, "columns");
  QSpinBox* rows = spin(PrintDialog::RowsEdit, "rows");
  auto* name =
      new QLineEdit(QString::fromStdString(dialog.Control(PrintDialog::FileNameEdit).text), built.window.get());
  name->setObjectName(QStringLiteral("fileName"));
  name->setMaxLength(dialog.Control(PrintDialog::FileNameEdit).textLimit);
  name->setMinimumWidth(280);
  grid->addWidget(new QLabel(QCoreApplication::translate("QtDialogRunner", "横："), built.window.get()), 0, 0);
  grid->addWidget(columns, 0, 1);
  grid->addWidget(new QLabel(QCoreApplication::translate("QtDialogRunner", "縦："), built.window.get()), 0, 2);
  grid->addWidget(rows, 0, 3);
  grid->addWidget(built.window->ok, 0, 4);
  grid->addWidget(built.window->cancel, 0, 5);
  grid->addWidget(new QLabel(QCoreApplication::translate("QtDialogRunner", "ファイル名："), built.window.get()), 1, 0,
                  1, 2);
  grid->addWidget(name, 1, 2, 1, 4);
  built.collect = [&dialog, columns, rows, name] {
    dialog.Control(PrintDialog::ColumnsEdit).text = columns->text().toStdString();
    dialog.Control(PrintDialog::RowsEdit).text = rows->text().toStdString();
    dialog.Control(PrintDialog::FileNameEdit).text = name->text().toStdString();
    return true;
  };
  built.focus = [columns, rows, name](std::int32_t id) {
    QWidget* field = id == PrintDialog::ColumnsEdit ? static_cast<QWidget*>(columns)
                     : id == PrintDialog::RowsEdit  ? static_cast<QWidget*>(rows)
                                                    : static_cast<QWidget*>(name);
    field->setFocus();
    if (auto* box = qobject_cast<QSpinBox*>(field)) box->selectAll();
  };
  return built;
}

using DialogBuilder = BuiltDialog (*)(Dialog& dialog, QWidget* owner);

// The builder of each dialog template this runner shows.
constexpr std::pair<std::int32_t, DialogBuilder> Builders[] = {
    {MarkerDialog::TemplateId, &BuildMarkerDialog},
    {TextDialog::TemplateId, &BuildTextDialog},
    {FormatDialog::TemplateId, &BuildFormatDialog},
    {PrintDialog::TemplateId, &BuildPrintDialog},
};

}  // namespace

QtDialogRunner::QtDialogRunner(std::function<QWidget*()> owner)
    : owner_(std::move(owner)),
      previousRunner_(DialogRunner::Install(this)),
      previousClipboard_(Clipboard::Install(this)) {}

QtDialogRunner::~QtDialogRunner() {
  if (DialogRunner::Current() == this) DialogRunner::Install(previousRunner_);
  if (Clipboard::Current() == this) Clipboard::Install(previousClipboard_);
}

void QtDialogRunner::Message(const UiText& text, const UiText& caption) {
  QMessageBox box(QMessageBox::NoIcon, caption.Empty() ? QStringLiteral("VIRLO") : Translations::Of(caption),
                  Translations::Of(text), QMessageBox::Ok, owner_ ? owner_() : nullptr);
  if (shown_) QTimer::singleShot(0, &box, [this, &box] { shown_(box); });
  box.exec();
}

bool QtDialogRunner::SetText(const std::string& utf8, std::string& error) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (clipboard == nullptr) {
    error = "there is no clipboard";
    return false;
  }
  clipboard->setText(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
  return true;
}

bool QtDialogRunner::HasText() const {
  const QClipboard* clipboard = QGuiApplication::clipboard();
  const QMimeData* data = clipboard != nullptr ? clipboard->mimeData() : nullptr;
  return data != nullptr && data->hasText();
}

std::string QtDialogRunner::Text() const {
  const QClipboard* clipboard = QGuiApplication::clipboard();
  return clipboard != nullptr ? clipboard->text().toStdString() : std::string();
}

DialogResult QtDialogRunner::Run(Dialog& dialog) {
  dialog.UpdateData(false);
  InPlaceSpot spot;
  if (dialog.TemplateId() == TextDialog::TemplateId && dialog.InPlaceOffered() && typeInPlace_ && inPlaceHost_ &&
      inPlaceHost_(dialog.InPlaceArea(), spot)) {
    return RunInPlace(dialog, spot);
  }
  const auto* builder = std::find_if(std::begin(Builders), std::end(Builders),
                                     [&dialog](const auto& entry) { return entry.first == dialog.TemplateId(); });
  if (builder == std::end(Builders)) return DialogResult::Cancel;
  BuiltDialog built = builder->second(dialog, owner_ ? owner_() : nullptr);

  QDialog* raw = built.window.get();
  QObject::connect(built.window->ok, &QPushButton::clicked, raw, [&dialog, &built, raw] {
    if (!built.collect()) return;
    if (dialog.UpdateData(true)) {
      raw->accept();
      return;
    }
    QMessageBox::warning(raw, raw->windowTitle(), Translations::Of(dialog.LastFailureText()));
    built.focus(dialog.LastFailedControl());
  });
  if (shown_) QTimer::singleShot(0, raw, [this, raw] { shown_(*raw); });
  return built.window->exec() == QDialog::Accepted ? DialogResult::Ok : DialogResult::Cancel;
}

DialogResult QtDialogRunner::RunInPlace(Dialog& dialog, const InPlaceSpot& spot) {
  static constexpr Qt::Alignment Alignments[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight};
  const std::int32_t choice = dialog.Control(TextDialog::LeftButton).value;
  const Qt::Alignment alignment = choice >= 0 && choice < 3 ? Alignments[choice] : Qt::AlignLeft;
  // The text font at the view's zoom; its lines stand one font height apart, as on the sheet.
  QFont font = inPlaceFont_;
  const int pixels = std::max(1, static_cast<int>(std::lround(inPlaceFont_.pixelSize() * spot.scale)));
  font.setPixelSize(pixels);
  InPlaceEditor editor(spot.over, spot.where, font, pixels, alignment);
  DialogControl& text = dialog.Control(TextDialog::TextEdit);
  QString opening = QString::fromStdString(text.text);
  editor.SetText(opening.remove(QLatin1Char('\r')));
  // What cannot be taken is said as soon as it is typed.
  auto limitReached = std::make_shared<bool>(false);
  const qsizetype limit = text.textLimit;
  QTextEdit* edit = editor.Edit();
  LimitText(edit, text, [limitReached] { *limitReached = true; });
  const bool bytes = text.textUnit == TextUnit::Bytes;
  QObject::connect(edit, &QTextEdit::textChanged, &editor, [&editor, edit, limitReached, limit, bytes] {
    const QString refusal = Refusal(edit->toPlainText());
    if (!refusal.isEmpty()) {
      editor.ShowProblem(refusal);
    } else if (std::exchange(*limitReached, false)) {
      editor.ShowProblem(
          bytes ? QCoreApplication::translate("QtDialogRunner", "文字は %1 バイトまでです。それより後は入りません。")
                      .arg(limit)
                : QCoreApplication::translate("QtDialogRunner", "文字は %1 文字までです。それより後は入りません。")
                      .arg(limit));
    } else {
      editor.ClearProblem();
    }
  });
  // Each showing is announced: a refused text shows the editor again.
  auto run = [this, &editor] {
    if (shown_) QTimer::singleShot(0, &editor, [this, &editor] { shown_(editor); });
    return editor.Run();
  };
  // Alignment and frame stay as they are; the right button's dialog sets them.
  while (run() == InPlaceEditor::Outcome::Commit) {
    text.text = BoxText(edit->toPlainText());
    if (dialog.UpdateData(true)) return DialogResult::Ok;
    editor.ShowProblem(Translations::Of(dialog.LastFailureText()));
  }
  return DialogResult::Cancel;
}

}  // namespace virlo
