#include "objects/MarkerTable.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "objects/Dot.h"

namespace virlo {
namespace {

// The entries as the picker should list them, written in UTF-8 so that a
// mistyped byte in the table cannot hide behind an equally mistyped expectation.
constexpr std::array<std::string_view, 16> kEntriesUtf8 = {
    "+  結合",   "-  横線",   "|  縦線",   "/  斜線", "\\  斜線", ".  横点線", ":  縦点線", "*  黒丸",
    "O  白丸",   "<  左矢",   ">  右矢",   "^  上矢", "V  下矢",  "A  派生",   "<> 集約",   "U  関連属性",
};

// Converts UTF-8 to code page 932 with the C library; empty on any failure.
std::string ToCp932(std::string_view utf8) {
  iconv_t cd = iconv_open("CP932", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) return {};
  std::string in(utf8);
  std::string out(in.size() * 2 + 4, '\0');
  char* inPtr = in.data();
  char* outPtr = out.data();
  std::size_t inLeft = in.size();
  std::size_t outLeft = out.size();
  const std::size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
  iconv_close(cd);
  if (rc == static_cast<std::size_t>(-1) || inLeft != 0) return {};
  out.resize(out.size() - outLeft);
  return out;
}

TEST(MarkerTableTest, HoldsSixteenEntriesInCodePage932) {
  ASSERT_EQ(MarkerTable::Count, 16);
  for (std::size_t i = 0; i < kEntriesUtf8.size(); ++i) {
    const std::string expected = ToCp932(kEntriesUtf8[i]);
    ASSERT_FALSE(expected.empty()) << "iconv could not convert entry " << i;
    EXPECT_EQ(MarkerTable::Entry(static_cast<std::int32_t>(i)), expected) << "entry " << i;
  }
  // A few bytes spelled out, so the check does not rest on iconv alone.
  EXPECT_EQ(MarkerTable::Entry(0), "+  \x8C\x8B\x8D\x87");
  EXPECT_EQ(MarkerTable::Entry(14), "<> \x8F\x57\x96\xF1");
  EXPECT_EQ(MarkerTable::Entry(15), "U  \x8A\xD6\x98\x41\x91\xAE\x90\xAB");
}

TEST(MarkerTableTest, MarkerTextIsTheEntryBeforeItsFirstBlank) {
  const std::array<std::string_view, 16> texts = {"+", "-", "|", "/", "\\", ".", ":", "*",
                                                  "O", "<", ">", "^", "V", "A", "<>", "U"};
  for (std::size_t i = 0; i < texts.size(); ++i) {
    const auto type = static_cast<std::int32_t>(i);
    EXPECT_EQ(MarkerTable::MarkerText(type), texts[i]) << "type " << i;
    EXPECT_EQ(Dot::MarkerText(type), texts[i]) << "type " << i;
    EXPECT_EQ(MarkerTable::MarkerText(type).size(), i == 14 ? 2U : 1U) << "type " << i;
  }
}

TEST(MarkerTableTest, DescriptionsFollowTwoBlanksExceptAfterTheDiamond) {
  for (std::int32_t type = 0; type < MarkerTable::Count; ++type) {
    const std::string_view entry = MarkerTable::Entry(type);
    const std::size_t chars = MarkerTable::MarkerText(type).size();
    const std::size_t blanks = type == 14 ? 1U : 2U;
    ASSERT_GT(entry.size(), chars + blanks) << "type " << type;
    EXPECT_EQ(entry.substr(chars, blanks), std::string(blanks, ' ')) << "type " << type;
    EXPECT_NE(entry[chars + blanks], ' ') << "type " << type;
  }
}

}  // namespace
}  // namespace virlo
