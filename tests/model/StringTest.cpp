#include <gtest/gtest.h>

#include <string_view>

#include "model/String.h"
#include "store/Database.h"
#include "store/Store.h"

namespace virlo {
namespace {

using namespace std::string_literals;

// Text and length agree, the text is NUL-terminated, and empty means null.
void ExpectText(const String& s, std::string_view expected) {
  ASSERT_EQ(s.Length(), static_cast<std::int32_t>(expected.size()));
  if (expected.empty()) {
    EXPECT_EQ(s.Text(), nullptr);
    return;
  }
  EXPECT_EQ(std::string_view(s.Text(), expected.size()), expected);
  EXPECT_EQ(s.Text()[expected.size()], '\0');
}

TEST(StringTest, ConstructionAppendAndSubstrings) {
  ExpectText(String("abc", 5), "abc\0\0"s);  // padded with NULs up to n
  for (String s : {String(), String(static_cast<const char*>(nullptr)), String("")}) {
    ExpectText(s, "");
    s.Append("abc");
    ExpectText(s, "abc");
  }
  const struct { std::int32_t from, expected; } finds[] = {{1, 1}, {2, 3}, {4, -1}, {-1, -1}};
  for (const auto& f : finds) EXPECT_EQ(String("a.b.c").FindChar('.', f.from), f.expected) << f.from;
  const String t("abcde");
  ExpectText(t.Left(0), "");
  for (std::int32_t n : {5, 9}) ExpectText(t.Left(n), "abcde");
  ExpectText(t.Right(2), "de");
  ExpectText(t.Mid(1, 10), "bcde");
}

TEST(StringTest, TextLivesWhereTheStringLivesOrNowhereWhenRefused) {
  store::Database db("/tmp/strings.vrl");
  String* stored = store::New<String>(&db, "persistent");
  ASSERT_NE(stored, nullptr);
  stored->Append("!");
  EXPECT_EQ(store::Database::Of(stored->Text()), &db);
  EXPECT_TRUE(store::Database::Of(stored->Left(3).Text())->IsTransient());
  store::AllocationFailure failure;
  stored->Assign("new");
  ExpectText(*stored, "");
  ExpectText(String("ab", "cd"), "");
  store::Delete(stored);
  EXPECT_EQ(db.AllocationCount(), 0U);
}

}  // namespace
}  // namespace virlo
