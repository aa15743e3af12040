#include "app/CommandTable.h"

#include "control/CommandIds.h"

namespace virlo {
namespace {

// One row per command, as the string table holds them.
// clang-format off
const CommandInfo commands[] = {
    {CommandId::FileNew, "ID_FILE_NEW", "新規作成(&N)\tCtrl+N", "新規作成(&N)\tCtrl+N", "新規にﾌｧｲﾙを作成", "新規ﾌｧｲﾙ"},
    {CommandId::FileOpen, "ID_FILE_OPEN", "開く(&O)...\tCtrl+O", "開く(&O)...\tCtrl+O", "既存のﾌｧｲﾙを開く", "開く"},
    {CommandId::FileImportArt, "ID_FILE_IMPORT_ART", "テキストから読み込み(&I)...", "テキストから読み込み(&I)...", "文字で描かれた図のﾃｷｽﾄ ﾌｧｲﾙを読み込み、新規ﾌｧｲﾙにする", "読み込み"},
    {CommandId::FileClose, "ID_FILE_CLOSE", "閉じる(&C)", "閉じる(&C)", "作業中のﾌｧｲﾙを閉じる", "閉じる"},
    {CommandId::FileSave, "ID_FILE_SAVE", "上書き保存(&S)\tCtrl+S", "上書き保存(&S)\tCtrl+S", "作業中のﾌｧｲﾙを保存", "保存"},
    {CommandId::FileSaveAs, "ID_FILE_SAVE_AS", "名前を付けて保存(&A)...", "名前を付けて保存(&A)...", "作業中のﾌｧｲﾙに名前を付けて保存", "名前をつけて保存"},
    {CommandId::FilePrint, "ID_FILE_PRINT", "テキスト印刷(&P)...\tCtrl+P", "テキスト印刷(&P)...\tCtrl+P", "作業中のﾌｧｲﾙを印刷", "印刷"},
    {CommandId::ClipboardPrint, "ID_CLIPBOARD_PRINT", "クリップボード印刷（Y)\tCtrl+P", "クリップボード印刷（Y)\tCtrl+P", "クリップボードへ印刷する", ""},
    {CommandId::FileMru1, "ID_FILE_MRU_FILE1", "最新のﾌｧｲﾙ", "最新のﾌｧｲﾙ", "指定のﾌｧｲﾙを開く", ""},
    {CommandId::AppExit, "ID_APP_EXIT", "ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)", "ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)", "ｱﾌﾟﾘｹｰｼｮﾝを終了し、ﾌｧｲﾙの保存を指示", "終了"},
    {CommandId::EditUndo, "ID_EDIT_UNDO", "元に戻す(&U)\tCtrl+Z", "元に戻す(&U)\tCtrl+Z", "直前に行った動作を元に戻す", "元に戻す"},
    {CommandId::EditRedo, "ID_EDIT_REDO", "もう一度(&R)\tCtrl+R", "もう一度(&R)\tCtrl+R", "直前に行った動作を繰り返す", "やり直し"},
    {CommandId::EditCut, "ID_EDIT_CUT", "切り取り(&X)\tCtrl+X", "切り取り(&X)\tCtrl+X", "選択範囲を切り取ってｸﾘｯﾌﾟﾎﾞｰﾄﾞに保存", "切り取り"},
    {CommandId::EditCopy, "ID_EDIT_COPY", "ｺﾋﾟｰ(&C)\tCtrl+C", "ｺﾋﾟｰ(&C)\tCtrl+C", "選択範囲をｺﾋﾟｰしてｸﾘｯﾌﾟﾎﾞｰﾄﾞに保存", "ｺﾋﾟ-"},
    {CommandId::EditPaste, "ID_EDIT_PASTE", "貼り付け(&P)\tCtrl+V", "貼り付け(&P)\tCtrl+V", "ｸﾘｯﾌﾟﾎﾞｰﾄﾞの内容を貼り付け", "貼り付け"},
    {CommandId::EditPasteArt, "ID_EDIT_PASTE_ART", "図として貼り付け(&G)", "図として貼り付け(&G)", "ｸﾘｯﾌﾟﾎﾞｰﾄﾞの文字で描かれた図を図形にして、表示範囲の左上に貼り付け", "図として貼り付け"},
    {CommandId::EditDelete, "ID_EDIT_DELETE", "削除(&D)\tCtrl+D", "削除(&D)\tCtrl+D", "図形の削除", "削除"},
    {CommandId::BringToFront, "ID_BRING_TO_FRONT", "手前に移動(&T)\tCtrl+T", "手前に移動(&T)\tCtrl+T", "選択したオブジェクトを画面の一番手前に出す", "手前に移動"},
    {CommandId::SendToBack, "ID_SEND_TO_BACK", "奥に移動(&B)\tCtrl+B", "奥に移動(&B)\tCtrl+B", "選択したオブジェクトを画面の一番奥へ移動する", "奥に移動"},
    {CommandId::ToolSelect, "ID_TOOL_SELECT", "選択(&S)\tCtrl+G", "選択(&S)\tCtrl+G", "図形をマウスで選択", "選択"},
    {CommandId::ToolDot, "ID_TOOL_DOT", "点(&P)\tCtrl+P", "点(&P)\tCtrl+P", "点を打つ", "点"},
    {CommandId::ToolLine, "ID_TOOL_LINE", "線(&L)\tCtrl+L", "線(&L)\tCtrl+L", "線を引く", "線"},
    {CommandId::ToolBox, "ID_TOOL_BOX", "枠(&F)\tCtrl+F", "枠(&F)\tCtrl+F", "四角を描く", "四角"},
    {CommandId::ToolStrBox, "ID_TOOL_STRBOX", "文字枠(&S)\tCtrl+S", "文字枠(&S)\tCtrl+S", "文字の入った枠を描く", "文字枠"},
    {CommandId::ViewToolbar, "ID_VIEW_TOOLBAR", "ﾂｰﾙ ﾊﾞｰ(&T)", "ﾂｰﾙ ﾊﾞｰ(&T)", "ﾂｰﾙ ﾊﾞｰの表示/非表示", "ﾂｰﾙ ﾊﾞｰの表示/非表示"},
    {CommandId::ViewStatusBar, "ID_VIEW_STATUS_BAR", "ｽﾃｰﾀｽ ﾊﾞｰ(&S)", "ｽﾃｰﾀｽ ﾊﾞｰ(&S)", "ｽﾃｰﾀｽ ﾊﾞｰの表示/非表示", "ｽﾃｰﾀｽ ﾊﾞｰの表示/非表示"},
    {CommandId::ViewTypeInPlace, "ID_VIEW_TYPE_IN_PLACE", "文字をその場で入力(&E)", "文字をその場で入力(&E)", "文字枠の文字をﾀﾞｲｱﾛｸﾞではなく図の上で入力する", "その場で入力"},
    {CommandId::WindowNew, "ID_WINDOW_NEW", "新しいｳｨﾝﾄﾞｳを開く(&N)", "新しいｳｨﾝﾄﾞｳを開く(&N)", "作業中のｳｨﾝﾄﾞｳを複写して表示", "新規ｳｨﾝﾄﾞｳ"},
    {CommandId::WindowCascade, "ID_WINDOW_CASCADE", "重ねて表示(&C)", "重ねて表示(&C)", "ｳｨﾝﾄﾞｳを重ねて表示", "重ねて表示"},
    {CommandId::WindowTile, "ID_WINDOW_TILE_HORZ", "並べて表示(&T)", "並べて表示(&T)", "ｳｨﾝﾄﾞｳを上下に並べて表示", "上下に並べて表示"},
    {CommandId::WindowArrange, "ID_WINDOW_ARRANGE", "ｱｲｺﾝの整列(&A)", "ｱｲｺﾝの整列(&A)", "ｳｨﾝﾄﾞｳの下部にｱｲｺﾝを整列", "ｱｲｺﾝの整列"},
    {CommandId::AppAbout, "ID_APP_ABOUT", "ﾊﾞｰｼﾞｮﾝ情報(Plenko)(&A)...", "ﾊﾞｰｼﾞｮﾝ情報(Plenko) (&A)...", "ﾌﾟﾛｸﾞﾗﾑの情報、ﾊﾞｰｼﾞｮﾝそして著作権を表示", "ﾊﾞｰｼﾞｮﾝ情報"},
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
