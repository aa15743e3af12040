#pragma once

#include <cstdint>

namespace virlo {

// The command identifiers of the menus, keys and toolbars: the view's, the
// document's and the application's, all in one place.
namespace CommandId {
inline constexpr std::int32_t ToolSelect = 32776;
inline constexpr std::int32_t ToolDot = 32777;
inline constexpr std::int32_t ToolLine = 32778;
inline constexpr std::int32_t ToolBox = 32779;
inline constexpr std::int32_t ToolStrBox = 32780;
inline constexpr std::int32_t EditDelete = 32784;
inline constexpr std::int32_t BringToFront = 32790;
inline constexpr std::int32_t SendToBack = 32791;
inline constexpr std::int32_t ClipboardPrint = 32801;
inline constexpr std::int32_t FileImportArt = 32802;
inline constexpr std::int32_t EditPasteArt = 32803;
inline constexpr std::int32_t FileExportSvg = 32804;
inline constexpr std::int32_t FileExportPng = 32805;
inline constexpr std::int32_t FileExportPng2x = 32806;
inline constexpr std::int32_t ViewArt = 32807;
inline constexpr std::int32_t ViewTypeInPlace = 32808;
inline constexpr std::int32_t ViewZoomIn = 32809;
inline constexpr std::int32_t ViewZoomOut = 32810;
inline constexpr std::int32_t ViewZoomActual = 32811;
inline constexpr std::int32_t Format = 32812;
inline constexpr std::int32_t PrintUnicodeLines = 32815;
inline constexpr std::int32_t PrintCropped = 32816;
inline constexpr std::int32_t PrintAsComment = 32817;
inline constexpr std::int32_t FileOpenBlock = 32830;
inline constexpr std::int32_t FileNew = 57600;
inline constexpr std::int32_t FileOpen = 57601;
inline constexpr std::int32_t FilePrint = 57607;
inline constexpr std::int32_t EditCopy = 57634;
inline constexpr std::int32_t EditCut = 57635;
inline constexpr std::int32_t EditPaste = 57637;
inline constexpr std::int32_t EditSelectAll = 57642;
inline constexpr std::int32_t EditUndo = 57643;
inline constexpr std::int32_t EditRedo = 57644;
inline constexpr std::int32_t FileClose = 57602;
inline constexpr std::int32_t FileSave = 57603;
inline constexpr std::int32_t FileSaveAs = 57604;
inline constexpr std::int32_t FileMru1 = 57616;
inline constexpr std::int32_t AppExit = 57665;
inline constexpr std::int32_t AppAbout = 57664;
inline constexpr std::int32_t ViewToolbar = 59392;
inline constexpr std::int32_t ViewStatusBar = 59393;
inline constexpr std::int32_t WindowNew = 57648;
inline constexpr std::int32_t WindowCascade = 57650;
inline constexpr std::int32_t WindowTile = 57651;
inline constexpr std::int32_t WindowArrange = 57649;
inline constexpr std::int32_t NextPane = 57680;
}  // namespace CommandId

}  // namespace virlo
