// Saving a diagram back into its block: the file as it is on disk when the
// save comes, whatever changed in it since the block was read.
#include <gtest/gtest.h>

#include <filesystem>

#include "hostfile/BlockEditing.h"
#include "hostfile/BlockWriter.h"
#include "support/TempFolder.h"

namespace virlo {
namespace {

using Outcome = BlockWriter::Outcome;

constexpr const char* Readme =
    "intro\n"
    "```\n"
    "+--+\n"
    "|  |\n"
    "+--+\n"
    "```\n"
    "end\n";
// The same with a second box two rows under the first.
constexpr const char* Grown =
    "+--+\n"
    "|  |\n"
    "+--+\n"
    "\n"
    "+--+\n"
    "|  |\n"
    "+--+\n";

class BlockWriterTest : public ::testing::Test {
 protected:
  test::TempFolder folder;
  std::string path = folder.Path("readme.md");
  test::BlockEditing edit;
};

TEST_F(BlockWriterTest, AFileChangedAroundTheBlockIsWrittenWhereTheBlockNowStands) {
  test::WriteFile(path, Readme);
  ASSERT_TRUE(edit.Open(path, 4));
  edit.AddBox(0, 4, 3, 6);
  test::WriteFile(path, std::string("added 1\nadded 2\n") + Readme + "more\n");

  BlockWriter::Result result = BlockWriter::Save(edit.source, *edit.doc.sheet);
  ASSERT_EQ(result.outcome, Outcome::Written) << result.error;
  EXPECT_TRUE(result.moved);
  EXPECT_EQ(folder.Read(path), std::string("added 1\nadded 2\nintro\n```\n") + Grown + "```\nend\nmore\n");
  // The source follows the file: a save with nothing new writes nothing.
  EXPECT_EQ(edit.source.block.outerFirst, 3u);
  EXPECT_EQ(edit.source.block.count, 7u);
  const auto stamp = test::Stamp(path);
  result = BlockWriter::Save(edit.source, *edit.doc.sheet);
  EXPECT_EQ(result.outcome, Outcome::Unchanged) << result.error;
  EXPECT_FALSE(result.moved);
  EXPECT_EQ(test::Stamp(path), stamp);
}

TEST_F(BlockWriterTest, AFileChangedInsideTheBlockIsRefusedUntilTheBlockIsOverwritten) {
  test::WriteFile(path, Readme);
  ASSERT_TRUE(edit.Open(path, 3));
  edit.AddBox(0, 4, 3, 6);
  const std::string theirs = "intro\n```\n+--+\n|ab|\n+--+\n```\nend\n";
  test::WriteFile(path, theirs);
  const auto stamp = test::Stamp(path);

  BlockWriter::Result result = BlockWriter::Save(edit.source, *edit.doc.sheet);
  EXPECT_EQ(result.outcome, Outcome::BlockChanged);
  EXPECT_NE(result.error.find("changed since they were read"), std::string::npos) << result.error;
  EXPECT_EQ(folder.Read(path), theirs);
  EXPECT_EQ(test::Stamp(path), stamp);
  // A dry run says the same and writes nothing either.
  EXPECT_EQ(BlockWriter::DryRun(edit.source, *edit.doc.sheet).outcome, Outcome::BlockChanged);

  result = BlockWriter::Save(edit.source, *edit.doc.sheet, BlockWriter::Policy::Overwrite);
  ASSERT_EQ(result.outcome, Outcome::Written) << result.error;
  EXPECT_EQ(folder.Read(path), std::string("intro\n```\n") + Grown + "```\nend\n");
  EXPECT_EQ(BlockWriter::Save(edit.source, *edit.doc.sheet).outcome, Outcome::Unchanged);
}

TEST_F(BlockWriterTest, OfTwoBlocksAlikeTheNearestIsTheBlock) {
  const std::string fence = "```\n+--+\n|  |\n+--+\n```\n";
  test::WriteFile(path, "one\n" + fence + "two\n" + fence);
  ASSERT_TRUE(edit.Open(path, 9));
  edit.AddBox(0, 4, 3, 6);
  test::WriteFile(path, "zero\none\n" + fence + "two\n" + fence);
  const BlockWriter::Result result = BlockWriter::Save(edit.source, *edit.doc.sheet);
  ASSERT_EQ(result.outcome, Outcome::Written) << result.error;
  EXPECT_EQ(folder.Read(path), "zero\none\n" + fence + "two\n```\n" + Grown + "```\n");
}

TEST_F(BlockWriterTest, AFileGoneOrUnreadableIsNotWritten) {
  test::WriteFile(path, Readme);
  ASSERT_TRUE(edit.Open(path, 3));
  edit.AddBox(0, 4, 3, 6);
  std::filesystem::remove(path);
  BlockWriter::Result result = BlockWriter::Save(edit.source, *edit.doc.sheet);
  EXPECT_EQ(result.outcome, Outcome::Failed);
  EXPECT_NE(result.error.find("cannot read"), std::string::npos) << result.error;
  EXPECT_FALSE(std::filesystem::exists(path));
  // A file that became binary is refused the same way.
  test::WriteFile(path, std::string("intro\0", 6) + "\n```\n+--+\n|  |\n+--+\n```\nend\n");
  result = BlockWriter::Save(edit.source, *edit.doc.sheet);
  EXPECT_EQ(result.outcome, Outcome::Failed);
  EXPECT_NE(result.error.find("NUL"), std::string::npos) << result.error;
}

TEST_F(BlockWriterTest, ABlockEmptiedAndFilledAgainKeepsItsPlace) {
  test::WriteFile(path, Readme);
  ASSERT_TRUE(edit.Open(path, 3));
  while (DrawObj* obj = edit.doc.sheet->objects.Front()) {
    edit.doc.sheet->RemoveObject(obj);
    store::Delete(obj);
  }
  ASSERT_EQ(BlockWriter::Save(edit.source, *edit.doc.sheet).outcome, Outcome::Written);
  EXPECT_EQ(folder.Read(path), "intro\n```\n```\nend\n");
  edit.AddBox(0, 0, 3, 2);
  ASSERT_EQ(BlockWriter::Save(edit.source, *edit.doc.sheet).outcome, Outcome::Written);
  EXPECT_EQ(folder.Read(path), Readme);
}

TEST_F(BlockWriterTest, TheFileKeepsItsLastLineEndAndByteOrderMark) {
  // A comment at the end of a file without a line end: new lines get one,
  // the last does not.
  const std::string source = folder.Path("end.c");
  test::WriteFile(source, "int x;\n// +--+\n// |  |\n// +--+");
  ASSERT_TRUE(edit.Open(source, 3));
  edit.AddBox(0, 4, 3, 6);
  ASSERT_EQ(BlockWriter::Save(edit.source, *edit.doc.sheet).outcome, Outcome::Written);
  EXPECT_EQ(folder.Read(source), "int x;\n// +--+\n// |  |\n// +--+\n//\n// +--+\n// |  |\n// +--+");

  // An indented block on the first line, after a byte order mark.
  test::BlockEditing second;
  test::WriteFile(path, "\xEF\xBB\xBF    +--+\n    |  |\n    +--+\n\nText.\n");
  ASSERT_TRUE(second.Open(path, 1));
  EXPECT_EQ(second.source.block.prefix, "    ");
  second.AddBox(0, 4, 3, 6);
  ASSERT_EQ(BlockWriter::Save(second.source, *second.doc.sheet).outcome, Outcome::Written);
  EXPECT_EQ(folder.Read(path), "\xEF\xBB\xBF    +--+\n    |  |\n    +--+\n\n    +--+\n    |  |\n    +--+\n\nText.\n");
}

// A new diagram goes in before the line, as a block its file's kind gives:
// found there afterwards, and saved again like any other.
TEST_F(BlockWriterTest, ANewDiagramIsInsertedAsABlockOfItsFile) {
  struct Case {
    const char* name;
    std::string before;
    std::size_t line;  // from 0
    std::string after;
  };
  const std::string box = "+--+\n|  |\n+--+\n";
  const Case cases[] = {
      {"notes.md", "# Notes\ntext\n", 1, "# Notes\n```\n" + box + "```\ntext\n"},
      {"code.c", "int x;\n\t// one\n\t// two\nint y;\n", 2,
       "int x;\n\t// one\n\t// +--+\n\t// |  |\n\t// +--+\n\t// two\nint y;\n"},
      {"code.py", "x = 1\n# last\n", 2, "x = 1\n# last\n# +--+\n# |  |\n# +--+\n"},
      {"plain.txt", "no end", 9, "no end\n" + box},
      {"dos.md", "a\r\n", 0, "```\r\n+--+\r\n|  |\r\n+--+\r\n```\r\na\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string host = folder.Path(c.name);
    test::WriteFile(host, c.before);
    test::BlockEditing added;
    StartStore();
    ASSERT_TRUE(added.doc.OnNewDocument());
    // Nothing drawn: nothing written.
    BlockWriter::Result result = BlockWriter::Insert(host, c.line, *added.doc.sheet, added.source);
    EXPECT_EQ(result.outcome, Outcome::Unchanged) << result.error;
    EXPECT_EQ(folder.Read(host), c.before);

    added.AddBox(0, 0, 3, 2);
    result = BlockWriter::Insert(host, c.line, *added.doc.sheet, added.source);
    ASSERT_EQ(result.outcome, Outcome::Written) << result.error;
    EXPECT_EQ(folder.Read(host), c.after);
    // The file now holds a block with the new lines (with labels of the
    // comment around them, perhaps), of the same prefix.
    test::BlockEditing again;
    ASSERT_TRUE(again.Open(host, added.source.block.outerFirst + 2));
    EXPECT_LE(again.source.block.outerFirst, added.source.block.outerFirst);
    EXPECT_GE(again.source.block.outerLast, added.source.block.outerLast);
    EXPECT_EQ(again.source.block.prefix, added.source.block.prefix);
    // Saved again, the new block is the one written, never a second one.
    EXPECT_EQ(BlockWriter::Save(added.source, *added.doc.sheet).outcome, Outcome::Unchanged);
    added.AddBox(0, 4, 3, 6);
    ASSERT_EQ(BlockWriter::Save(added.source, *added.doc.sheet).outcome, Outcome::Written);
    EXPECT_EQ(added.source.block.count, 7u);
  }
}

}  // namespace
}  // namespace virlo
