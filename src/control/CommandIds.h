#pragma once

#include <cstdint>

namespace virlo {

// The command identifiers of the menus, keys and toolbars.
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
inline constexpr std::int32_t FileNew = 57600;
inline constexpr std::int32_t FileOpen = 57601;
inline constexpr std::int32_t FilePrint = 57607;
inline constexpr std::int32_t EditCopy = 57634;
inline constexpr std::int32_t EditCut = 57635;
inline constexpr std::int32_t EditPaste = 57637;
inline constexpr std::int32_t EditUndo = 57643;
inline constexpr std::int32_t EditRedo = 57644;
}  // namespace CommandId

}  // namespace virlo
