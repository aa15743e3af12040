#include "app/CommandTable.h"

#include "control/CommandIds.h"
#include "platform/UiText.h"

namespace virlo {
namespace {

// One row per command, as the string table holds them. The texts are
// translated where the main frame makes its actions from them.
// clang-format off
const CommandInfo commands[] = {
    {CommandId::FileNew, "ID_FILE_NEW", VIRLO_TR_NOOP("CommandTable", "新規作成(&N)"), VIRLO_TR_NOOP("CommandTable", "新規作成(&N)"), VIRLO_TR_NOOP("CommandTable", "新規にﾌｧｲﾙを作成"), VIRLO_TR_NOOP("CommandTable", "新規ﾌｧｲﾙ"), "Ctrl+N"},
    {CommandId::FileOpen, "ID_FILE_OPEN", VIRLO_TR_NOOP("CommandTable", "開く(&O)..."), VIRLO_TR_NOOP("CommandTable", "開く(&O)..."), VIRLO_TR_NOOP("CommandTable", "既存のﾌｧｲﾙを開く"), VIRLO_TR_NOOP("CommandTable", "開く"), "Ctrl+O"},
    {CommandId::FileImportArt, "ID_FILE_IMPORT_ART", VIRLO_TR_NOOP("CommandTable", "テキストから読み込み(&I)..."), VIRLO_TR_NOOP("CommandTable", "テキストから読み込み(&I)..."), VIRLO_TR_NOOP("CommandTable", "文字で描かれた図のﾃｷｽﾄ ﾌｧｲﾙを読み込み、新規ﾌｧｲﾙにする"), VIRLO_TR_NOOP("CommandTable", "読み込み"), ""},
    {CommandId::FileClose, "ID_FILE_CLOSE", VIRLO_TR_NOOP("CommandTable", "閉じる(&C)"), VIRLO_TR_NOOP("CommandTable", "閉じる(&C)"), VIRLO_TR_NOOP("CommandTable", "作業中のﾌｧｲﾙを閉じる"), VIRLO_TR_NOOP("CommandTable", "閉じる"), ""},
    {CommandId::FileSave, "ID_FILE_SAVE", VIRLO_TR_NOOP("CommandTable", "上書き保存(&S)"), VIRLO_TR_NOOP("CommandTable", "上書き保存(&S)"), VIRLO_TR_NOOP("CommandTable", "作業中のﾌｧｲﾙを保存"), VIRLO_TR_NOOP("CommandTable", "保存"), "Ctrl+S"},
    {CommandId::FileSaveAs, "ID_FILE_SAVE_AS", VIRLO_TR_NOOP("CommandTable", "名前を付けて保存(&A)..."), VIRLO_TR_NOOP("CommandTable", "名前を付けて保存(&A)..."), VIRLO_TR_NOOP("CommandTable", "作業中のﾌｧｲﾙに名前を付けて保存"), VIRLO_TR_NOOP("CommandTable", "名前をつけて保存"), "Ctrl+Shift+S"},
    {CommandId::FilePrint, "ID_FILE_PRINT", VIRLO_TR_NOOP("CommandTable", "テキスト印刷(&P)..."), VIRLO_TR_NOOP("CommandTable", "テキスト印刷(&P)..."), VIRLO_TR_NOOP("CommandTable", "作業中のﾌｧｲﾙを印刷"), VIRLO_TR_NOOP("CommandTable", "印刷"), "Ctrl+P"},
    {CommandId::ClipboardPrint, "ID_CLIPBOARD_PRINT", VIRLO_TR_NOOP("CommandTable", "クリップボード印刷（Y)"), VIRLO_TR_NOOP("CommandTable", "クリップボード印刷（Y)"), VIRLO_TR_NOOP("CommandTable", "クリップボードへ印刷する"), VIRLO_TR_NOOP("CommandTable", "クリップボード印刷"), "Ctrl+Shift+C"},
    {CommandId::FileExportSvg, "ID_FILE_EXPORT_SVG", VIRLO_TR_NOOP("CommandTable", "SVGで書き出し(&G)..."), VIRLO_TR_NOOP("CommandTable", "SVGで書き出し(&G)..."), VIRLO_TR_NOOP("CommandTable", "図をSVG画像のﾌｧｲﾙに書き出す"), VIRLO_TR_NOOP("CommandTable", "SVG書き出し"), ""},
    {CommandId::FileExportPng, "ID_FILE_EXPORT_PNG", VIRLO_TR_NOOP("CommandTable", "PNGで書き出し(&E)..."), VIRLO_TR_NOOP("CommandTable", "PNGで書き出し(&E)..."), VIRLO_TR_NOOP("CommandTable", "図をPNG画像のﾌｧｲﾙに書き出す"), VIRLO_TR_NOOP("CommandTable", "PNG書き出し"), ""},
    {CommandId::FileExportPng2x, "ID_FILE_EXPORT_PNG2X", VIRLO_TR_NOOP("CommandTable", "PNGで書き出し(2倍)(&2)..."), VIRLO_TR_NOOP("CommandTable", "PNGで書き出し(2倍)(&2)..."), VIRLO_TR_NOOP("CommandTable", "図を2倍の大きさのPNG画像のﾌｧｲﾙに書き出す"), VIRLO_TR_NOOP("CommandTable", "PNG書き出し(2倍)"), ""},
    {CommandId::FileMru1, "ID_FILE_MRU_FILE1", VIRLO_TR_NOOP("CommandTable", "最新のﾌｧｲﾙ"), VIRLO_TR_NOOP("CommandTable", "最新のﾌｧｲﾙ"), VIRLO_TR_NOOP("CommandTable", "指定のﾌｧｲﾙを開く"), "", ""},
    {CommandId::AppExit, "ID_APP_EXIT", VIRLO_TR_NOOP("CommandTable", "ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)"), VIRLO_TR_NOOP("CommandTable", "ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)"), VIRLO_TR_NOOP("CommandTable", "ｱﾌﾟﾘｹｰｼｮﾝを終了し、ﾌｧｲﾙの保存を指示"), VIRLO_TR_NOOP("CommandTable", "終了"), "Ctrl+Q"},
    {CommandId::EditUndo, "ID_EDIT_UNDO", VIRLO_TR_NOOP("CommandTable", "元に戻す(&U)"), VIRLO_TR_NOOP("CommandTable", "元に戻す(&U)"), VIRLO_TR_NOOP("CommandTable", "直前に行った動作を元に戻す"), VIRLO_TR_NOOP("CommandTable", "元に戻す"), "Ctrl+Z; Ctrl+U"},
    {CommandId::EditRedo, "ID_EDIT_REDO", VIRLO_TR_NOOP("CommandTable", "もう一度(&R)"), VIRLO_TR_NOOP("CommandTable", "もう一度(&R)"), VIRLO_TR_NOOP("CommandTable", "直前に行った動作を繰り返す"), VIRLO_TR_NOOP("CommandTable", "やり直し"), "Ctrl+Y; Ctrl+Shift+Z; Ctrl+R"},
    {CommandId::EditCut, "ID_EDIT_CUT", VIRLO_TR_NOOP("CommandTable", "切り取り(&X)"), VIRLO_TR_NOOP("CommandTable", "切り取り(&X)"), VIRLO_TR_NOOP("CommandTable", "選択範囲を切り取ってｸﾘｯﾌﾟﾎﾞｰﾄﾞに保存"), VIRLO_TR_NOOP("CommandTable", "切り取り"), "Ctrl+X"},
    {CommandId::EditCopy, "ID_EDIT_COPY", VIRLO_TR_NOOP("CommandTable", "ｺﾋﾟｰ(&C)"), VIRLO_TR_NOOP("CommandTable", "ｺﾋﾟｰ(&C)"), VIRLO_TR_NOOP("CommandTable", "選択範囲をｺﾋﾟｰしてｸﾘｯﾌﾟﾎﾞｰﾄﾞに保存"), VIRLO_TR_NOOP("CommandTable", "ｺﾋﾟ-"), "Ctrl+C"},
    {CommandId::EditPaste, "ID_EDIT_PASTE", VIRLO_TR_NOOP("CommandTable", "貼り付け(&P)"), VIRLO_TR_NOOP("CommandTable", "貼り付け(&P)"), VIRLO_TR_NOOP("CommandTable", "ｸﾘｯﾌﾟﾎﾞｰﾄﾞの内容を貼り付け"), VIRLO_TR_NOOP("CommandTable", "貼り付け"), "Ctrl+V"},
    {CommandId::EditPasteArt, "ID_EDIT_PASTE_ART", VIRLO_TR_NOOP("CommandTable", "図として貼り付け(&G)"), VIRLO_TR_NOOP("CommandTable", "図として貼り付け(&G)"), VIRLO_TR_NOOP("CommandTable", "ｸﾘｯﾌﾟﾎﾞｰﾄﾞの文字で描かれた図を図形にして、表示範囲の左上に貼り付け"), VIRLO_TR_NOOP("CommandTable", "図として貼り付け"), "Ctrl+Shift+V"},
    {CommandId::EditDelete, "ID_EDIT_DELETE", VIRLO_TR_NOOP("CommandTable", "削除(&D)"), VIRLO_TR_NOOP("CommandTable", "削除(&D)"), VIRLO_TR_NOOP("CommandTable", "図形の削除"), VIRLO_TR_NOOP("CommandTable", "削除"), "Del; Ctrl+G"},
    {CommandId::EditSelectAll, "ID_EDIT_SELECT_ALL", VIRLO_TR_NOOP("CommandTable", "すべて選択(&A)"), VIRLO_TR_NOOP("CommandTable", "すべて選択(&A)"), VIRLO_TR_NOOP("CommandTable", "すべての図形を選択"), VIRLO_TR_NOOP("CommandTable", "すべて選択"), "Ctrl+A"},
    {CommandId::BringToFront, "ID_BRING_TO_FRONT", VIRLO_TR_NOOP("CommandTable", "手前に移動(&T)"), VIRLO_TR_NOOP("CommandTable", "手前に移動(&T)"), VIRLO_TR_NOOP("CommandTable", "選択したオブジェクトを画面の一番手前に出す"), VIRLO_TR_NOOP("CommandTable", "手前に移動"), "Ctrl+T"},
    {CommandId::SendToBack, "ID_SEND_TO_BACK", VIRLO_TR_NOOP("CommandTable", "奥に移動(&B)"), VIRLO_TR_NOOP("CommandTable", "奥に移動(&B)"), VIRLO_TR_NOOP("CommandTable", "選択したオブジェクトを画面の一番奥へ移動する"), VIRLO_TR_NOOP("CommandTable", "奥に移動"), "Ctrl+K"},
    {CommandId::Format, "ID_FORMAT", VIRLO_TR_NOOP("CommandTable", "書式(&M)..."), VIRLO_TR_NOOP("CommandTable", "書式(&M)..."), VIRLO_TR_NOOP("CommandTable", "選んだ線や枠の線種と角を設定する"), VIRLO_TR_NOOP("CommandTable", "書式"), ""},
    {CommandId::ToolSelect, "ID_TOOL_SELECT", VIRLO_TR_NOOP("CommandTable", "選択(&S)"), VIRLO_TR_NOOP("CommandTable", "選択(&S)"), VIRLO_TR_NOOP("CommandTable", "図形をマウスで選択"), VIRLO_TR_NOOP("CommandTable", "選択"), "Ctrl+E"},
    {CommandId::ToolDot, "ID_TOOL_DOT", VIRLO_TR_NOOP("CommandTable", "点(&P)"), VIRLO_TR_NOOP("CommandTable", "点(&P)"), VIRLO_TR_NOOP("CommandTable", "点を打つ"), VIRLO_TR_NOOP("CommandTable", "点"), "Ctrl+D"},
    {CommandId::ToolLine, "ID_TOOL_LINE", VIRLO_TR_NOOP("CommandTable", "線(&L)"), VIRLO_TR_NOOP("CommandTable", "線(&L)"), VIRLO_TR_NOOP("CommandTable", "線を引く"), VIRLO_TR_NOOP("CommandTable", "線"), "Ctrl+L"},
    {CommandId::ToolBox, "ID_TOOL_BOX", VIRLO_TR_NOOP("CommandTable", "枠(&F)"), VIRLO_TR_NOOP("CommandTable", "枠(&F)"), VIRLO_TR_NOOP("CommandTable", "四角を描く"), VIRLO_TR_NOOP("CommandTable", "四角"), "Ctrl+B"},
    {CommandId::ToolStrBox, "ID_TOOL_STRBOX", VIRLO_TR_NOOP("CommandTable", "文字枠(&S)"), VIRLO_TR_NOOP("CommandTable", "文字枠(&S)"), VIRLO_TR_NOOP("CommandTable", "文字の入った枠を描く"), VIRLO_TR_NOOP("CommandTable", "文字枠"), "Ctrl+F"},
    {CommandId::ViewToolbar, "ID_VIEW_TOOLBAR", VIRLO_TR_NOOP("CommandTable", "ﾂｰﾙ ﾊﾞｰ(&T)"), VIRLO_TR_NOOP("CommandTable", "ﾂｰﾙ ﾊﾞｰ(&T)"), VIRLO_TR_NOOP("CommandTable", "ﾂｰﾙ ﾊﾞｰの表示/非表示"), VIRLO_TR_NOOP("CommandTable", "ﾂｰﾙ ﾊﾞｰの表示/非表示"), ""},
    {CommandId::ViewStatusBar, "ID_VIEW_STATUS_BAR", VIRLO_TR_NOOP("CommandTable", "ｽﾃｰﾀｽ ﾊﾞｰ(&S)"), VIRLO_TR_NOOP("CommandTable", "ｽﾃｰﾀｽ ﾊﾞｰ(&S)"), VIRLO_TR_NOOP("CommandTable", "ｽﾃｰﾀｽ ﾊﾞｰの表示/非表示"), VIRLO_TR_NOOP("CommandTable", "ｽﾃｰﾀｽ ﾊﾞｰの表示/非表示"), ""},
    {CommandId::ViewArt, "ID_VIEW_ART", VIRLO_TR_NOOP("CommandTable", "文字で表示(&A)"), VIRLO_TR_NOOP("CommandTable", "文字で表示(&A)"), VIRLO_TR_NOOP("CommandTable", "図を図形で表示/印刷される文字で表示"), VIRLO_TR_NOOP("CommandTable", "文字で表示"), ""},
    {CommandId::ViewTypeInPlace, "ID_VIEW_TYPE_IN_PLACE", VIRLO_TR_NOOP("CommandTable", "文字をその場で入力(&E)"), VIRLO_TR_NOOP("CommandTable", "文字をその場で入力(&E)"), VIRLO_TR_NOOP("CommandTable", "文字枠の文字をﾀﾞｲｱﾛｸﾞではなく図の上で入力する"), VIRLO_TR_NOOP("CommandTable", "その場で入力"), ""},
    {CommandId::ViewZoomIn, "ID_VIEW_ZOOM_IN", VIRLO_TR_NOOP("CommandTable", "拡大(&I)"), VIRLO_TR_NOOP("CommandTable", "拡大(&I)"), VIRLO_TR_NOOP("CommandTable", "図を大きく表示"), VIRLO_TR_NOOP("CommandTable", "拡大"), "Ctrl++; Ctrl+="},
    {CommandId::ViewZoomOut, "ID_VIEW_ZOOM_OUT", VIRLO_TR_NOOP("CommandTable", "縮小(&O)"), VIRLO_TR_NOOP("CommandTable", "縮小(&O)"), VIRLO_TR_NOOP("CommandTable", "図を小さく表示"), VIRLO_TR_NOOP("CommandTable", "縮小"), "Ctrl+-"},
    {CommandId::ViewZoomActual, "ID_VIEW_ZOOM_ACTUAL", VIRLO_TR_NOOP("CommandTable", "実際の大きさ(&Z)"), VIRLO_TR_NOOP("CommandTable", "実際の大きさ(&Z)"), VIRLO_TR_NOOP("CommandTable", "図を実際の大きさで表示"), VIRLO_TR_NOOP("CommandTable", "実際の大きさ"), "Ctrl+0"},
    {CommandId::WindowNew, "ID_WINDOW_NEW", VIRLO_TR_NOOP("CommandTable", "新しいｳｨﾝﾄﾞｳを開く(&N)"), VIRLO_TR_NOOP("CommandTable", "新しいｳｨﾝﾄﾞｳを開く(&N)"), VIRLO_TR_NOOP("CommandTable", "作業中のｳｨﾝﾄﾞｳを複写して表示"), VIRLO_TR_NOOP("CommandTable", "新規ｳｨﾝﾄﾞｳ"), ""},
    {CommandId::WindowCascade, "ID_WINDOW_CASCADE", VIRLO_TR_NOOP("CommandTable", "重ねて表示(&C)"), VIRLO_TR_NOOP("CommandTable", "重ねて表示(&C)"), VIRLO_TR_NOOP("CommandTable", "ｳｨﾝﾄﾞｳを重ねて表示"), VIRLO_TR_NOOP("CommandTable", "重ねて表示"), ""},
    {CommandId::WindowTile, "ID_WINDOW_TILE_HORZ", VIRLO_TR_NOOP("CommandTable", "並べて表示(&T)"), VIRLO_TR_NOOP("CommandTable", "並べて表示(&T)"), VIRLO_TR_NOOP("CommandTable", "ｳｨﾝﾄﾞｳを上下に並べて表示"), VIRLO_TR_NOOP("CommandTable", "上下に並べて表示"), ""},
    {CommandId::WindowArrange, "ID_WINDOW_ARRANGE", VIRLO_TR_NOOP("CommandTable", "ｱｲｺﾝの整列(&A)"), VIRLO_TR_NOOP("CommandTable", "ｱｲｺﾝの整列(&A)"), VIRLO_TR_NOOP("CommandTable", "ｳｨﾝﾄﾞｳの下部にｱｲｺﾝを整列"), VIRLO_TR_NOOP("CommandTable", "ｱｲｺﾝの整列"), ""},
    {CommandId::NextPane, "ID_NEXT_PANE", "", "", "", "", "F6"},
    {CommandId::AppAbout, "ID_APP_ABOUT", VIRLO_TR_NOOP("CommandTable", "ﾊﾞｰｼﾞｮﾝ情報(Plenko)(&A)..."), VIRLO_TR_NOOP("CommandTable", "ﾊﾞｰｼﾞｮﾝ情報(Plenko) (&A)..."), VIRLO_TR_NOOP("CommandTable", "ﾌﾟﾛｸﾞﾗﾑの情報、ﾊﾞｰｼﾞｮﾝそして著作権を表示"), VIRLO_TR_NOOP("CommandTable", "ﾊﾞｰｼﾞｮﾝ情報"), ""},
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

}  // namespace virlo
