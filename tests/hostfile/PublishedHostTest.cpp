// The published diagrams of the import corpus, each put between the lines of
// a Markdown file and of a source file in its comment's language: opened by a
// line in the middle of the art, the block is the whole diagram; saved
// unchanged, the file is not written; with a box moved one cell, only the
// block's lines differ.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "hostfile/BlockEditing.h"
#include "hostfile/BlockWriter.h"
#include "objects/Selection.h"
#include "support/TempFolder.h"

namespace virlo {
namespace {

namespace fs = std::filesystem;

struct Published {
  std::string name;
  std::string art;
  std::string prefix;  // as its counts give it
};

std::vector<Published> Corpus() {
  std::vector<Published> corpus;
  const fs::path dir = fs::path(VIRLO_GOLDEN_DIR) / ".." / "import" / "published";
  for (const auto& entry : fs::directory_iterator(dir)) {
    if (entry.path().extension() != ".txt") continue;
    Published published{entry.path().stem().string(), "", ""};
    std::ifstream art(entry.path(), std::ios::binary);
    published.art.assign(std::istreambuf_iterator<char>(art), {});
    std::ifstream counts(fs::path(entry.path()).replace_extension(".counts"));
    for (std::string line; std::getline(counts, line);) {
      if (line.starts_with("prefix: \"") && line.ends_with("\"")) published.prefix = line.substr(9, line.size() - 10);
    }
    corpus.push_back(std::move(published));
  }
  std::sort(corpus.begin(), corpus.end(), [](const Published& a, const Published& b) { return a.name < b.name; });
  return corpus;
}

// A host file around the art: its name, what stands before and after it.
struct Host {
  std::string name;
  std::string before;
  std::string art;
  std::string after;
};

Host InMarkdown(const Published& published) {
  return {published.name + ".md", "# " + published.name + "\n\nThe figure:\n\n```text\n", published.art,
          "```\n\nMore prose after it.\n"};
}

// In a source file of the language its prefix belongs to; art without a
// comment prefix goes into a C++ comment.
Host InSource(const Published& published) {
  const std::string& prefix = published.prefix;
  if (prefix == " * ") return {published.name + ".c", "#include <stdio.h>\n\n/*\n", published.art, " */\nint x;\n"};
  if (prefix == "**") return {published.name + ".c", "/*\n", published.art, "*/\nstatic int pager;\n"};
  if (prefix.find("///") != std::string::npos) {
    return {published.name + ".rs", "impl Flex {\n    fn start() {}\n\n", published.art, "    fn end() {}\n}\n"};
  }
  std::string commented;
  std::istringstream lines(published.art);
  for (std::string line; std::getline(lines, line);) commented += line.empty() ? "//\n" : "// " + line + "\n";
  return {published.name + ".cpp", "int a = 1;\n\n", commented, "int b = 2;\n"};
}

std::size_t Lines(const std::string& text) {
  return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

class PublishedHostTest : public ::testing::TestWithParam<bool> {};

TEST_P(PublishedHostTest, EveryPublishedDiagramIsSavedBackIntoItsOwnLinesOnly) {
  const std::vector<Published> corpus = Corpus();
  ASSERT_GE(corpus.size(), 30u);
  test::TempFolder folder;
  for (const Published& published : corpus) {
    const Host host = GetParam() ? InSource(published) : InMarkdown(published);
    SCOPED_TRACE(host.name);
    const std::string path = folder.Path(host.name);
    const std::string original = host.before + host.art + host.after;
    test::WriteFile(path, original);
    const std::size_t first = Lines(host.before);
    const std::size_t count = Lines(host.art);
    test::BlockEditing edit;
    ASSERT_TRUE(edit.Open(path, first + count / 2 + 1));
    EXPECT_EQ(edit.source.block.first, first);
    EXPECT_EQ(edit.source.block.count, count);

    const auto stamp = test::Stamp(path);
    BlockWriter::Result result = BlockWriter::Save(edit.source, *edit.doc.sheet);
    ASSERT_EQ(result.outcome, BlockWriter::Outcome::Unchanged) << result.error << "\n" << result.bytes;
    EXPECT_EQ(folder.Read(path), original);
    EXPECT_EQ(test::Stamp(path), stamp);

    Box* box = nullptr;
    List<DrawObj*>::Cursor cursor(edit.doc.sheet->objects);
    for (DrawObj* obj = cursor.First(); obj != nullptr && box == nullptr; obj = cursor.Next()) {
      box = dynamic_cast<Box*>(obj);
    }
    if (box == nullptr) continue;
    Selection selection;
    selection.moving = Selection::Moving::Shift;
    box->Move(selection, edit.doc.sheet->cellWidth, 0);
    result = BlockWriter::Save(edit.source, *edit.doc.sheet);
    ASSERT_EQ(result.outcome, BlockWriter::Outcome::Written) << result.error;
    const std::string written = folder.Read(path);
    EXPECT_TRUE(written.starts_with(host.before)) << written;
    EXPECT_TRUE(written.ends_with(host.after)) << written;
    EXPECT_NE(written, original);
  }
}

INSTANTIATE_TEST_SUITE_P(InMarkdownAndInSource, PublishedHostTest, ::testing::Bool());

}  // namespace
}  // namespace virlo
