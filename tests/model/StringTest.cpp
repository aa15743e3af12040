#include "model/String.h"

#include <gtest/gtest.h>

#include <string_view>

#include "model/Sheet.h"
#include "store/Database.h"
#include "store/Store.h"

namespace virlo {
namespace {

using namespace std::string_literals;

// Text and length agree, and the text is terminated at the length.
void ExpectText(const String& s, std::string_view expected) {
  ASSERT_EQ(s.Length(), static_cast<std::int32_t>(expected.size()));
  if (expected.empty()) {
    EXPECT_EQ(s.Text(), nullptr);
    return;
  }
  ASSERT_NE(s.Text(), nullptr);
  EXPECT_EQ(std::string_view(s.Text(), expected.size()), expected);
  EXPECT_EQ(s.Text()[expected.size()], '\0');
}

TEST(StringTest, Construction) {
  ExpectText(String(), "");
  ExpectText(String(static_cast<const char*>(nullptr)), "");
  ExpectText(String(""), "");
  ExpectText(String("abc"), "abc");
  ExpectText(String("abcdef", 3), "abc");
  ExpectText(String("abc", 0), "");
  // A short source is padded with NULs up to n.
  ExpectText(String("abc", 5), "abc\0\0"s);
  ExpectText(String(static_cast<const char*>(nullptr), 4), "");
}

TEST(StringTest, CopyTakesTheWholeLength) {
  const String padded("ab", 4);
  const String copy(padded);
  ExpectText(copy, "ab\0\0"s);
  EXPECT_NE(copy.Text(), padded.Text());
  ExpectText(String(String()), "");

  String target("old");
  target = String("new");
  ExpectText(target, "new");
}

TEST(StringTest, ConcatenationTreatsNullAsEmpty) {
  const char* none = nullptr;
  ExpectText(String("ab", "cd"), "abcd");
  ExpectText(String(none, "cd"), "cd");
  ExpectText(String("ab", none), "ab");
  ExpectText(String(none, none), "");
  ExpectText(String("", ""), "");
  ExpectText(String::Concat(String("x"), String("yz")), "xyz");
  ExpectText(String::Concat(String(), String()), "");
}

TEST(StringTest, AssignAppendAndClear) {
  String s("first");
  s.Assign("xy");
  ExpectText(s, "xy");
  s.Assign("abc", 5);
  ExpectText(s, "abc\0\0"s);
  s.Assign(String("from string"));
  ExpectText(s, "from string");
  s.Assign(static_cast<const char*>(nullptr));
  ExpectText(s, "");

  String empty("");
  empty.Append("abc");
  ExpectText(empty, "abc");
  empty.Append("de");
  ExpectText(empty, "abcde");
  empty.Append("");
  empty.Append(nullptr);
  ExpectText(empty, "abcde");
  empty.Clear();
  ExpectText(empty, "");
}

TEST(StringTest, FindChar) {
  const String s("a.b.c");
  EXPECT_EQ(s.FindChar('.', 0), 1);
  EXPECT_EQ(s.FindChar('.', 1), 1);
  EXPECT_EQ(s.FindChar('.', 2), 3);
  EXPECT_EQ(s.FindChar('.', 4), -1);
  EXPECT_EQ(s.FindChar('.', 5), -1);
  EXPECT_EQ(s.FindChar('.', -1), -1);
  // A start beyond the length falls back to the last character.
  EXPECT_EQ(s.FindChar('c', 99), 4);
  EXPECT_EQ(s.FindChar('.', 99), -1);
  EXPECT_EQ(s.FindChar('x', 0), -1);
  EXPECT_EQ(String().FindChar('.', 0), -1);
  EXPECT_EQ(String().FindChar('.', 3), -1);
}

TEST(StringTest, LeftRightAndMid) {
  const String s("abcde");
  ExpectText(s.Left(0), "");
  ExpectText(s.Left(2), "ab");
  ExpectText(s.Left(5), "abcde");
  ExpectText(s.Left(9), "abcde");
  // Counts compare unsigned, so a negative one asks for everything.
  ExpectText(s.Left(-1), "abcde");

  ExpectText(s.Right(0), "");
  ExpectText(s.Right(2), "de");
  ExpectText(s.Right(5), "abcde");
  ExpectText(s.Right(7), "abcde");
  ExpectText(s.Right(-1), "abcde");

  ExpectText(s.Mid(1, 2), "bc");
  ExpectText(s.Mid(0, 0), "");
  ExpectText(s.Mid(1, 4), "bcde");
  ExpectText(s.Mid(1, 10), "bcde");
  ExpectText(s.Mid(4, 1), "e");
  ExpectText(s.Mid(5, 1), "");
  ExpectText(s.Mid(-1, 2), "");

  ExpectText(String().Left(3), "");
  ExpectText(String().Right(3), "");
  ExpectText(String().Mid(0, 3), "");
}

TEST(StringTest, TextLivesWhereTheStringLives) {
  store::Database db("/tmp/strings.vrl");
  String* stored = store::New<String>(&db, "persistent");
  ASSERT_NE(stored, nullptr);
  ASSERT_NE(stored->Text(), nullptr);
  EXPECT_EQ(store::Database::Of(stored->Text()), &db);
  const store::Allocation* chars = db.Find(stored->Text());
  ASSERT_NE(chars, nullptr);
  EXPECT_EQ(chars->type, &store::TypeDescription::Char());
  EXPECT_EQ(chars->size * chars->count, 11U);

  stored->Append("!");
  EXPECT_EQ(store::Database::Of(stored->Text()), &db);
  stored->Assign("other");
  EXPECT_EQ(store::Database::Of(stored->Text()), &db);

  // Results are built where the caller keeps them.
  const String left = stored->Left(3);
  ExpectText(left, "oth");
  EXPECT_TRUE(store::Database::Of(left.Text())->IsTransient());

  Sheet* sheet = store::New<Sheet>(&db, 624, 1024, 8, 16);
  ASSERT_NE(sheet, nullptr);
  sheet->SetTextFileName(String("out.txt"));
  EXPECT_EQ(store::Database::Of(sheet->textFileName.Text()), &db);

  const std::size_t before = db.AllocationCount();
  store::Delete(stored);
  EXPECT_EQ(db.AllocationCount(), before - 2);
  store::Delete(sheet);
}

TEST(StringTest, RefusedMemoryLeavesNoText) {
  String assigned("keep");
  store::AllocationFailure failure;
  ExpectText(String("abc"), "");
  ExpectText(String("abc", 5), "");
  ExpectText(String("ab", "cd"), "");
  assigned.Assign("new");
  ExpectText(assigned, "");
}

}  // namespace
}  // namespace virlo
