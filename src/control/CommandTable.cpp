#include "control/CommandTable.h"

#include "control/CommandIds.h"
#include "tools/DrawTool.h"

namespace virlo {
namespace {

// One row per command, in the order of the menus. The texts are translated
// where the main frame makes its actions from them.
// clang-format off
const CommandInfo commands[] = {
    {CommandId::FileNew, "", VIRLO_TR_NOOP("CommandTable", "新規作成(&N)"), VIRLO_TR_NOOP("CommandTable", "新規にﾌｧｲﾙを作成"), VIRLO_TR_NOOP("CommandTable", "新規ﾌｧｲﾙ"), "Ctrl+N", Menu::File, CommandTrait::WithoutDocument, ToolBar::File, 1, "new", Handler::Frame},
    {CommandId::FileOpen, "", VIRLO_TR_NOOP("CommandTable", "開く(&O)..."), VIRLO_TR_NOOP("CommandTable", "既存のﾌｧｲﾙを開く"), VIRLO_TR_NOOP("CommandTable", "開く"), "Ctrl+O", Menu::File, CommandTrait::WithoutDocument, ToolBar::File, 2, "open", Handler::Frame},
    {CommandId::FileImportArt, "", VIRLO_TR_NOOP("CommandTable", "テキストから読み込み(&I)..."), VIRLO_TR_NOOP("CommandTable", "文字で描かれた図のﾃｷｽﾄ ﾌｧｲﾙを読み込み、新規ﾌｧｲﾙにする"), VIRLO_TR_NOOP("CommandTable", "読み込み"), "", Menu::File, CommandTrait::WithoutDocument, ToolBar::None, 0, "", Handler::Frame},
    {CommandId::FileOpenBlock, "", VIRLO_TR_NOOP("CommandTable", "ﾌｧｲﾙの中の図を開く(&D)..."), VIRLO_TR_NOOP("CommandTable", "README やソースのコメントの中の図を選んで開き、保存でその行に書き戻す"), VIRLO_TR_NOOP("CommandTable", "ﾌｧｲﾙの中の図"), "", Menu::File, CommandTrait::WithoutDocument, ToolBar::None, 0, "", Handler::Frame},
    {CommandId::FileClose, "", VIRLO_TR_NOOP("CommandTable", "閉じる(&C)"), VIRLO_TR_NOOP("CommandTable", "作業中のﾌｧｲﾙを閉じる"), VIRLO_TR_NOOP("CommandTable", "閉じる"), "Ctrl+W", Menu::File, 0, ToolBar::None, 0, "", Handler::Frame},
    {CommandId::FileSave, "", VIRLO_TR_NOOP("CommandTable", "上書き保存(&S)"), VIRLO_TR_NOOP("CommandTable", "作業中のﾌｧｲﾙを保存"), VIRLO_TR_NOOP("CommandTable", "保存"), "Ctrl+S", Menu::File, 0, ToolBar::File, 3, "save", Handler::Frame},
    {CommandId::FileSaveAs, "", VIRLO_TR_NOOP("CommandTable", "名前を付けて保存(&A)..."), VIRLO_TR_NOOP("CommandTable", "作業中のﾌｧｲﾙに名前を付けて保存"), VIRLO_TR_NOOP("CommandTable", "名前をつけて保存"), "Ctrl+Shift+S", Menu::File, 0, ToolBar::None, 0, "", Handler::Frame},
    {CommandId::FilePrint, "textprint", VIRLO_TR_NOOP("CommandTable", "テキスト印刷(&P)..."), VIRLO_TR_NOOP("CommandTable", "作業中のﾌｧｲﾙを印刷"), VIRLO_TR_NOOP("CommandTable", "印刷"), "Ctrl+P", Menu::File, CommandTrait::SeparatorBefore | CommandTrait::ToolBarSeparatorBefore, ToolBar::File, 7, "print", Handler::View},
    {CommandId::ClipboardPrint, "", VIRLO_TR_NOOP("CommandTable", "クリップボード印刷（Y)"), VIRLO_TR_NOOP("CommandTable", "クリップボードへ印刷する"), VIRLO_TR_NOOP("CommandTable", "クリップボード印刷"), "Ctrl+Shift+C", Menu::File, 0, ToolBar::File, 8, "clipboard-print", Handler::View},
    {CommandId::PrintUnicodeLines, "", VIRLO_TR_NOOP("CommandTable", "罫線の文字で印刷(&U)"), VIRLO_TR_NOOP("CommandTable", "テキスト印刷とクリップボード印刷で、線を罫線の文字 (UTF-8) で書く"), "", "", Menu::File, CommandTrait::Checkable, ToolBar::None, 0, "", Handler::Frame},
    {CommandId::PrintCropped, "", VIRLO_TR_NOOP("CommandTable", "周りの空白を除いて印刷(&M)"), VIRLO_TR_NOOP("CommandTable", "テキスト印刷とクリップボード印刷で、図の周りの空白を除く"), "", "", Menu::File, CommandTrait::Checkable, ToolBar::None, 0, "", Handler::Frame},
    {CommandId::PrintAsComment, "", VIRLO_TR_NOOP("CommandTable", "コメントとして印刷(&K)..."), VIRLO_TR_NOOP("CommandTable", "テキスト印刷とクリップボード印刷で、各行の頭にコメントの印を付ける"), "", "", Menu::File, CommandTrait::Checkable, ToolBar::None, 0, "", Handler::Frame},
    {CommandId::FileExportSvg, "", VIRLO_TR_NOOP("CommandTable", "SVGで書き出し(&G)..."), VIRLO_TR_NOOP("CommandTable", "図をSVG画像のﾌｧｲﾙに書き出す"), VIRLO_TR_NOOP("CommandTable", "SVG書き出し"), "", Menu::File, CommandTrait::SeparatorBefore, ToolBar::None, 0, "", Handler::Frame},
    {CommandId::FileExportPng, "", VIRLO_TR_NOOP("CommandTable", "PNGで書き出し(&E)..."), VIRLO_TR_NOOP("CommandTable", "図をPNG画像のﾌｧｲﾙに書き出す"), VIRLO_TR_NOOP("CommandTable", "PNG書き出し"), "", Menu::File, 0, ToolBar::None, 0, "", Handler::Frame},
    {CommandId::FileExportPng2x, "", VIRLO_TR_NOOP("CommandTable", "PNGで書き出し(2倍)(&2)..."), VIRLO_TR_NOOP("CommandTable", "図を2倍の大きさのPNG画像のﾌｧｲﾙに書き出す"), VIRLO_TR_NOOP("CommandTable", "PNG書き出し(2倍)"), "", Menu::File, 0, ToolBar::None, 0, "", Handler::Frame},
    {CommandId::FileMru1, "", VIRLO_TR_NOOP("CommandTable", "最新のﾌｧｲﾙ"), VIRLO_TR_NOOP("CommandTable", "指定のﾌｧｲﾙを開く"), "", "", Menu::File, CommandTrait::SeparatorBefore | CommandTrait::WithoutDocument, ToolBar::None, 0, "", Handler::Frame},
    {CommandId::AppExit, "", VIRLO_TR_NOOP("CommandTable", "ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)"), VIRLO_TR_NOOP("CommandTable", "ｱﾌﾟﾘｹｰｼｮﾝを終了し、ﾌｧｲﾙの保存を指示"), VIRLO_TR_NOOP("CommandTable", "終了"), "Ctrl+Q", Menu::File, CommandTrait::SeparatorBefore | CommandTrait::WithoutDocument, ToolBar::None, 0, "", Handler::Frame},
    {CommandId::EditUndo, "undo", VIRLO_TR_NOOP("CommandTable", "元に戻す(&U)"), VIRLO_TR_NOOP("CommandTable", "直前に行った動作を元に戻す"), VIRLO_TR_NOOP("CommandTable", "元に戻す"), "Ctrl+Z; Ctrl+U", Menu::Edit, 0, ToolBar::Drawing, 6, "undo", Handler::View},
    {CommandId::EditRedo, "redo", VIRLO_TR_NOOP("CommandTable", "もう一度(&R)"), VIRLO_TR_NOOP("CommandTable", "直前に行った動作を繰り返す"), VIRLO_TR_NOOP("CommandTable", "やり直し"), "Ctrl+Y; Ctrl+Shift+Z; Ctrl+R", Menu::Edit, 0, ToolBar::Drawing, 7, "redo", Handler::View},
    {CommandId::EditCut, "cut", VIRLO_TR_NOOP("CommandTable", "切り取り(&X)"), VIRLO_TR_NOOP("CommandTable", "選択範囲を切り取ってｸﾘｯﾌﾟﾎﾞｰﾄﾞに保存"), VIRLO_TR_NOOP("CommandTable", "切り取り"), "Ctrl+X", Menu::Edit, CommandTrait::SeparatorBefore | CommandTrait::ToolBarSeparatorBefore, ToolBar::File, 4, "cut", Handler::View},
    {CommandId::EditCopy, "copy", VIRLO_TR_NOOP("CommandTable", "ｺﾋﾟｰ(&C)"), VIRLO_TR_NOOP("CommandTable", "選択範囲をｺﾋﾟｰしてｸﾘｯﾌﾟﾎﾞｰﾄﾞに保存"), VIRLO_TR_NOOP("CommandTable", "ｺﾋﾟ-"), "Ctrl+C", Menu::Edit, 0, ToolBar::File, 5, "copy", Handler::View},
    {CommandId::EditPaste, "paste", VIRLO_TR_NOOP("CommandTable", "貼り付け(&P)"), VIRLO_TR_NOOP("CommandTable", "ｸﾘｯﾌﾟﾎﾞｰﾄﾞの内容を貼り付け"), VIRLO_TR_NOOP("CommandTable", "貼り付け"), "Ctrl+V", Menu::Edit, 0, ToolBar::File, 6, "paste", Handler::View},
    {CommandId::EditPasteArt, "", VIRLO_TR_NOOP("CommandTable", "図として貼り付け(&G)"), VIRLO_TR_NOOP("CommandTable", "ｸﾘｯﾌﾟﾎﾞｰﾄﾞの文字で描かれた図を図形にして、表示範囲の左上に貼り付け"), VIRLO_TR_NOOP("CommandTable", "図として貼り付け"), "Ctrl+Shift+V", Menu::Edit, 0, ToolBar::None, 0, "", Handler::View},
    {CommandId::EditDelete, "delete", VIRLO_TR_NOOP("CommandTable", "削除(&D)"), VIRLO_TR_NOOP("CommandTable", "図形の削除"), VIRLO_TR_NOOP("CommandTable", "削除"), "Del; Ctrl+G", Menu::Edit, 0, ToolBar::Drawing, 10, "delete", Handler::View},
    {CommandId::EditSelectAll, "selectall", VIRLO_TR_NOOP("CommandTable", "すべて選択(&A)"), VIRLO_TR_NOOP("CommandTable", "すべての図形を選択"), VIRLO_TR_NOOP("CommandTable", "すべて選択"), "Ctrl+A", Menu::Edit, 0, ToolBar::None, 0, "", Handler::View},
    {CommandId::BringToFront, "front", VIRLO_TR_NOOP("CommandTable", "手前に移動(&T)"), VIRLO_TR_NOOP("CommandTable", "選択したオブジェクトを画面の一番手前に出す"), VIRLO_TR_NOOP("CommandTable", "手前に移動"), "Ctrl+T", Menu::Edit, CommandTrait::SeparatorBefore, ToolBar::Drawing, 8, "bring-to-front", Handler::View},
    {CommandId::SendToBack, "back", VIRLO_TR_NOOP("CommandTable", "奥に移動(&B)"), VIRLO_TR_NOOP("CommandTable", "選択したオブジェクトを画面の一番奥へ移動する"), VIRLO_TR_NOOP("CommandTable", "奥に移動"), "Ctrl+K", Menu::Edit, 0, ToolBar::Drawing, 9, "send-to-back", Handler::View},
    {CommandId::Format, "", VIRLO_TR_NOOP("CommandTable", "書式(&M)..."), VIRLO_TR_NOOP("CommandTable", "選んだ線や枠の線種と角を設定する"), VIRLO_TR_NOOP("CommandTable", "書式"), "", Menu::Edit, 0, ToolBar::None, 0, "", Handler::View},
    {CommandId::ToolSelect, "select", VIRLO_TR_NOOP("CommandTable", "選択(&S)"), VIRLO_TR_NOOP("CommandTable", "図形をマウスで選択"), VIRLO_TR_NOOP("CommandTable", "選択"), "Ctrl+E", Menu::Edit, CommandTrait::SeparatorBefore | CommandTrait::Checkable, ToolBar::Drawing, 1, "select", Handler::View, DrawTool::SelectKind},
    {CommandId::ToolDot, "dot", VIRLO_TR_NOOP("CommandTable", "点(&P)"), VIRLO_TR_NOOP("CommandTable", "点を打つ"), VIRLO_TR_NOOP("CommandTable", "点"), "Ctrl+D", Menu::Edit, CommandTrait::Checkable, ToolBar::Drawing, 2, "dot", Handler::View, DrawTool::DotKind},
    {CommandId::ToolLine, "line", VIRLO_TR_NOOP("CommandTable", "線(&L)"), VIRLO_TR_NOOP("CommandTable", "線を引く"), VIRLO_TR_NOOP("CommandTable", "線"), "Ctrl+L", Menu::Edit, CommandTrait::Checkable, ToolBar::Drawing, 3, "line", Handler::View, DrawTool::LineKind},
    {CommandId::ToolBox, "box", VIRLO_TR_NOOP("CommandTable", "枠(&F)"), VIRLO_TR_NOOP("CommandTable", "四角を描く"), VIRLO_TR_NOOP("CommandTable", "四角"), "Ctrl+B", Menu::Edit, CommandTrait::Checkable, ToolBar::Drawing, 4, "box", Handler::View, DrawTool::BoxKind},
    {CommandId::ToolStrBox, "strbox", VIRLO_TR_NOOP("CommandTable", "文字枠(&S)"), VIRLO_TR_NOOP("CommandTable", "文字の入った枠を描く"), VIRLO_TR_NOOP("CommandTable", "文字枠"), "Ctrl+F", Menu::Edit, CommandTrait::Checkable, ToolBar::Drawing, 5, "text-box", Handler::View, DrawTool::StrBoxKind},
    {CommandId::ViewToolbar, "", VIRLO_TR_NOOP("CommandTable", "ﾂｰﾙ ﾊﾞｰ(&T)"), VIRLO_TR_NOOP("CommandTable", "ﾂｰﾙ ﾊﾞｰの表示/非表示"), VIRLO_TR_NOOP("CommandTable", "ﾂｰﾙ ﾊﾞｰの表示/非表示"), "", Menu::View, CommandTrait::WithoutDocument | CommandTrait::Checkable, ToolBar::None, 0, "", Handler::Frame},
    {CommandId::ViewStatusBar, "", VIRLO_TR_NOOP("CommandTable", "ｽﾃｰﾀｽ ﾊﾞｰ(&S)"), VIRLO_TR_NOOP("CommandTable", "ｽﾃｰﾀｽ ﾊﾞｰの表示/非表示"), VIRLO_TR_NOOP("CommandTable", "ｽﾃｰﾀｽ ﾊﾞｰの表示/非表示"), "", Menu::View, CommandTrait::WithoutDocument | CommandTrait::Checkable, ToolBar::None, 0, "", Handler::Frame},
    {CommandId::ViewArt, "", VIRLO_TR_NOOP("CommandTable", "文字で表示(&A)"), VIRLO_TR_NOOP("CommandTable", "図を図形で表示/印刷される文字で表示"), VIRLO_TR_NOOP("CommandTable", "文字で表示"), "", Menu::View, CommandTrait::SeparatorBefore | CommandTrait::WithoutDocument | CommandTrait::Checkable, ToolBar::None, 0, "", Handler::Frame},
    {CommandId::ViewTypeInPlace, "", VIRLO_TR_NOOP("CommandTable", "文字をその場で入力(&E)"), VIRLO_TR_NOOP("CommandTable", "文字枠の文字をﾀﾞｲｱﾛｸﾞではなく図の上で入力する"), VIRLO_TR_NOOP("CommandTable", "その場で入力"), "", Menu::View, CommandTrait::WithoutDocument | CommandTrait::Checkable, ToolBar::None, 0, "", Handler::Frame},
    {CommandId::ViewZoomIn, "", VIRLO_TR_NOOP("CommandTable", "拡大(&I)"), VIRLO_TR_NOOP("CommandTable", "図を大きく表示"), VIRLO_TR_NOOP("CommandTable", "拡大"), "Ctrl++; Ctrl+=", Menu::View, CommandTrait::SeparatorBefore, ToolBar::None, 0, "", Handler::Frame},
    {CommandId::ViewZoomOut, "", VIRLO_TR_NOOP("CommandTable", "縮小(&O)"), VIRLO_TR_NOOP("CommandTable", "図を小さく表示"), VIRLO_TR_NOOP("CommandTable", "縮小"), "Ctrl+-", Menu::View, 0, ToolBar::None, 0, "", Handler::Frame},
    {CommandId::ViewZoomActual, "", VIRLO_TR_NOOP("CommandTable", "実際の大きさ(&Z)"), VIRLO_TR_NOOP("CommandTable", "図を実際の大きさで表示"), VIRLO_TR_NOOP("CommandTable", "実際の大きさ"), "Ctrl+0", Menu::View, 0, ToolBar::None, 0, "", Handler::Frame},
    {CommandId::WindowNew, "", VIRLO_TR_NOOP("CommandTable", "新しいｳｨﾝﾄﾞｳを開く(&N)"), VIRLO_TR_NOOP("CommandTable", "作業中のｳｨﾝﾄﾞｳを複写して表示"), VIRLO_TR_NOOP("CommandTable", "新規ｳｨﾝﾄﾞｳ"), "", Menu::Window, 0, ToolBar::None, 0, "", Handler::Frame},
    {CommandId::WindowCascade, "", VIRLO_TR_NOOP("CommandTable", "重ねて表示(&C)"), VIRLO_TR_NOOP("CommandTable", "ｳｨﾝﾄﾞｳを重ねて表示"), VIRLO_TR_NOOP("CommandTable", "重ねて表示"), "", Menu::Window, 0, ToolBar::None, 0, "", Handler::Frame},
    {CommandId::WindowTile, "", VIRLO_TR_NOOP("CommandTable", "並べて表示(&T)"), VIRLO_TR_NOOP("CommandTable", "ｳｨﾝﾄﾞｳを上下に並べて表示"), VIRLO_TR_NOOP("CommandTable", "上下に並べて表示"), "", Menu::Window, 0, ToolBar::None, 0, "", Handler::Frame},
    {CommandId::WindowArrange, "", VIRLO_TR_NOOP("CommandTable", "ｱｲｺﾝの整列(&A)"), VIRLO_TR_NOOP("CommandTable", "ｳｨﾝﾄﾞｳの下部にｱｲｺﾝを整列"), VIRLO_TR_NOOP("CommandTable", "ｱｲｺﾝの整列"), "", Menu::Window, 0, ToolBar::None, 0, "", Handler::Frame},
    {CommandId::AppAbout, "", VIRLO_TR_NOOP("CommandTable", "ﾊﾞｰｼﾞｮﾝ情報(Plenko)(&A)..."), VIRLO_TR_NOOP("CommandTable", "ﾌﾟﾛｸﾞﾗﾑの情報、ﾊﾞｰｼﾞｮﾝそして著作権を表示"), VIRLO_TR_NOOP("CommandTable", "ﾊﾞｰｼﾞｮﾝ情報"), "", Menu::Help, CommandTrait::WithoutDocument, ToolBar::File, 9, "about", Handler::Frame},
    {CommandId::NextPane, "", "", VIRLO_TR_NOOP("CommandTable", "次のｳｨﾝﾄﾞｳに切り替え"), "", "F6", Menu::None, 0, ToolBar::None, 0, "", Handler::Frame},
};
// clang-format on

}  // namespace

std::span<const CommandInfo> CommandTable::All() { return commands; }

const CommandInfo* CommandTable::Find(std::int32_t id) {
  for (const CommandInfo& command : commands) {
    if (command.id == id) return &command;
  }
  return nullptr;
}

const CommandInfo* CommandTable::FindWord(std::string_view word, bool tool) {
  if (word.empty()) return nullptr;
  for (const CommandInfo& command : commands) {
    if (command.word == word && (command.tool != 0) == tool) return &command;
  }
  return nullptr;
}

const char* CommandTable::MenuTitle(Menu menu) {
  switch (menu) {
    case Menu::File:
      return VIRLO_TR_NOOP("CommandTable", "ﾌｧｲﾙ(&F)");
    case Menu::Edit:
      return VIRLO_TR_NOOP("CommandTable", "編集(&E)");
    case Menu::View:
      return VIRLO_TR_NOOP("CommandTable", "表示(&V)");
    case Menu::Window:
      return VIRLO_TR_NOOP("CommandTable", "ｳｨﾝﾄﾞｳ(&W)");
    case Menu::Help:
      return VIRLO_TR_NOOP("CommandTable", "ﾍﾙﾌﾟ(&H)");
    case Menu::None:
      break;
  }
  return "";
}

std::int32_t CommandTable::ToolOf(std::int32_t id) {
  const CommandInfo* info = Find(id);
  return info != nullptr ? info->tool : 0;
}

}  // namespace virlo
