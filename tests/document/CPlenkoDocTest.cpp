// The document: a new sheet, saving, opening, failures that leave files alone, undo through the views.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>

#include "control/CommandIds.h"
#include "control/ViewController.h"
#include "document/CPlenkoDoc.h"
#include "document/DocumentDump.h"
#include "model/Sheet.h"
#include "objects/Line.h"
#include "objects/PersistentTypes.h"
#include "objects/StrBox.h"
#include "store/DocumentFile.h"
#include "store/Store.h"
#include "support/RecordingWindow.h"
#include "tools/DrawTool.h"

namespace virlo {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// Every entry under a folder with its bytes ("" for folders).
std::set<std::pair<std::string, std::string>> Contents(const fs::path& folder) {
  std::set<std::pair<std::string, std::string>> entries;
  for (const auto& e : fs::recursive_directory_iterator(folder)) {
    entries.emplace(fs::relative(e.path(), folder).string(), e.is_regular_file() ? ReadFile(e.path()) : "");
  }
  return entries;
}

std::string Dump(const CPlenkoDoc& doc) {
  std::string json, error;
  EXPECT_TRUE(DocumentDump::Write(*doc.GetDatabase(), json, error)) << error;
  return json;
}

class CPlenkoDocTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterPersistentTypes();
    store::SetMaximumUndoOperations(32);
    ASSERT_TRUE(doc.OnNewDocument());
    std::string pattern = (fs::temp_directory_path() / "virlo-doc-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir = pattern;
  }
  void TearDown() override { fs::remove_all(dir); }
  // A joined corner, a line resting on another, a box and a framed text box.
  void Draw() {
    store::Database* db = doc.GetDatabase();
    auto* top = store::New<Line>(db, doc.sheet, 20, 24, 68, 24, nullptr, nullptr);
    auto* side = store::New<Line>(db, doc.sheet, 68, 24, 68, 104, nullptr, &top->end);
    store::New<Line>(db, doc.sheet, 68, 56, 116, 56, nullptr, side);
    store::New<Box>(db, doc.sheet, 164, 24, 244, 88, nullptr);
    store::New<StrBox>(db, doc.sheet, 324, 40, 0, 0, String("a \"b\"\r\n\x82\xA0"), nullptr)->frame = 1;
  }
  // A save that must fail and leave every file in the folder as it was.
  void ExpectSaveFails(const fs::path& target, const fs::path& folder) {
    const auto before = Contents(folder);
    const std::string path = doc.GetPathName(), name(doc.sheet->textFileName.View());
    doc.SetModifiedFlag(true);
    EXPECT_FALSE(doc.OnSaveDocument(target.string())) << target;
    EXPECT_TRUE(!doc.LastError().empty() && doc.IsModified() && doc.GetPathName() == path &&
                doc.sheet->textFileName.View() == name)
        << target;
    EXPECT_EQ(Contents(folder), before) << target << ": a file changed or a stray file was left";
  }

  fs::path dir;
  CPlenkoDoc doc;
};

TEST_F(CPlenkoDocTest, ANewSheetSavesAndOpensAgainWhileBadFilesChangeNothing) {
  const Sheet& sheet = *doc.sheet;
  EXPECT_TRUE(sheet.width == 624 && sheet.height == 1024 && sheet.cellWidth == 8 && sheet.cellHeight == 16);
  EXPECT_EQ(doc.GetPathName(), (fs::current_path() / "Plenko1.vrl").string());
  EXPECT_TRUE(sheet.textFileName.View().ends_with("/Plenko1.txt")) << sheet.textFileName.View();
  EXPECT_TRUE(doc.GetDatabase()->FindRoot("Sheet")->GetValue() == doc.sheet && sheet.objects.Front() == nullptr);
  EXPECT_TRUE(!doc.IsModified() && !doc.CanUndo() && !doc.CanRedo());
  const std::string blank = sheet.MakeText();  // 64 rows of 78 blanks
  EXPECT_TRUE(blank.size() == 64 * 79 && std::count(blank.begin(), blank.end(), ' ') == 64 * 78 && blank[78] == '\n');
  Draw();
  const fs::path path = dir / "dia.vrl";
  ASSERT_TRUE(doc.OnSaveDocument(path.string())) << doc.LastError();
  EXPECT_EQ(doc.sheet->textFileName.View(), (dir / "dia.txt").string());
  EXPECT_TRUE(!doc.IsModified() && doc.GetPathName() == path.string() && doc.GetTitle() == "dia");
  EXPECT_EQ(Contents(dir).size(), 1u) << "a stray file beside the document";
  CPlenkoDoc opened;
  ASSERT_TRUE(opened.OnOpenDocument(path.string())) << opened.LastError();
  const std::string art = doc.sheet->MakeText(), dump = Dump(doc), bytes = ReadFile(path);
  EXPECT_EQ(opened.sheet->MakeText(), art);
  EXPECT_EQ(Dump(opened), dump);
  EXPECT_FALSE(opened.IsModified());
  fs::create_directory(dir / "folder.vrl");
  const std::pair<const char*, std::string> files[] = {
      {"empty.vrl", ""}, {"text.vrl", "not a document\n"}, {"half.vrl", bytes.substr(0, bytes.size() / 2)}};
  for (const auto& [name, content] : files) std::ofstream(dir / name, std::ios::binary) << content;
  const auto before = Contents(dir);
  doc.SetModifiedFlag(true);
  for (const char* name : {"missing.vrl", "folder.vrl", "empty.vrl", "text.vrl", "half.vrl"}) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(doc.OnOpenDocument((dir / name).string()));
    EXPECT_TRUE(!doc.LastError().empty() && doc.sheet == &sheet && doc.IsModified() && doc.GetPathName() == path);
    EXPECT_TRUE(doc.sheet->MakeText() == art && Dump(doc) == dump);
  }
  EXPECT_EQ(Contents(dir), before) << "opening only reads";
}

TEST_F(CPlenkoDocTest, PositionsUpToTheCoordinateLimitsSaveAndOpenAndNoFurther) {
  constexpr std::int32_t kMax = Sheet::MaxCoordinate;
  store::Database* db = doc.GetDatabase();
  store::New<Line>(db, doc.sheet, -kMax, kMax, kMax, kMax, nullptr, nullptr);
  auto* dot = store::New<Dot>(db, doc.sheet, kMax, -kMax, 8, nullptr);
  const fs::path path = dir / "far.vrl";
  ASSERT_TRUE(doc.OnSaveDocument(path.string())) << doc.LastError();
  CPlenkoDoc opened;
  ASSERT_TRUE(opened.OnOpenDocument(path.string())) << opened.LastError();
  EXPECT_EQ(Dump(opened), Dump(doc));
  dot->x = kMax + 1;
  ASSERT_TRUE(doc.OnSaveDocument(path.string())) << doc.LastError();
  EXPECT_FALSE(opened.OnOpenDocument(path.string()));
  EXPECT_NE(opened.LastError().find("too far outside the sheet"), std::string::npos) << opened.LastError();
}

// Onto a folder, into a missing folder, onto a full and a read-only file system.
TEST_F(CPlenkoDocTest, FailedSavesKeepOldFilesLeaveNoStrayFileAndKeepTheDocumentModified) {
  Draw();
  ASSERT_TRUE(doc.OnSaveDocument((dir / "keep.vrl").string()));
  fs::create_directories(dir / "folder.vrl" / "small");
  fs::copy_file(dir / "keep.vrl", dir / "folder.vrl" / "inner.vrl");
  ExpectSaveFails(dir / "folder.vrl", dir);
  ExpectSaveFails(dir / "missing" / "x.vrl", dir);
  const fs::path small = dir / "folder.vrl" / "small";
  if (std::system(("mount -t tmpfs -o size=64k tmpfs " + small.string() + " 2>/dev/null").c_str()) != 0) {
    GTEST_SKIP() << "cannot mount a 64k tmpfs here (needs root and the right to mount)";
  }
  const auto umount = [&](const void*) { EXPECT_EQ(std::system(("umount " + small.string()).c_str()), 0); };
  const std::unique_ptr<const void, decltype(umount)> unmount(&small, umount);
  ASSERT_TRUE(doc.OnSaveDocument((small / "dia.vrl").string())) << doc.LastError();
  const String text(std::string(300, 'x').c_str());
  for (std::int32_t i = 0; i < 400; ++i) store::New<StrBox>(doc.GetDatabase(), doc.sheet, 4, 8, 0, 0, text, nullptr);
  ASSERT_TRUE(doc.OnSaveDocument((dir / "large.vrl").string())) << doc.LastError();
  ASSERT_GT(fs::file_size(dir / "large.vrl"), 64u * 1024u);
  ExpectSaveFails(small / "dia.vrl", small);
  // A read-only folder, which stops even root.
  ASSERT_EQ(std::system(("mount -o remount,ro " + small.string()).c_str()), 0);
  ExpectSaveFails(small / "dia.vrl", small);
}

TEST_F(CPlenkoDocTest, UndoAndRedoFollowTheDatabaseAndRepaintEveryView) {
  test::RecordingWindow w1, w2;
  ViewController v1(&doc, &w1), v2(&doc, &w2);
  auto check = [&](bool undo, bool redo, std::size_t redraws, bool drawn) {
    EXPECT_TRUE(doc.CanUndo() == undo && doc.GetDatabase()->IsUndoable() == undo);
    EXPECT_TRUE(doc.CanRedo() == redo && doc.GetDatabase()->IsRedoable() == redo);
    EXPECT_TRUE(w1.redraws.size() == redraws && w2.redraws.size() == redraws) << redraws;
    EXPECT_EQ(doc.sheet->objects.Front() != nullptr, drawn);
  };
  EXPECT_FALSE(doc.OnEditUndo() || doc.OnEditRedo());
  check(false, false, 0, false);
  doc.SetUndoMarker();
  store::New<Dot>(doc.GetDatabase(), doc.sheet, 28, 56, 1, nullptr);
  check(true, false, 0, true);
  ASSERT_TRUE(doc.OnEditUndo());
  check(false, true, 1, false);
  ASSERT_TRUE(doc.OnEditRedo());
  check(true, false, 2, true);
}

// A document shown in one view, driven with the mouse.
class EditedDocumentTest : public CPlenkoDocTest {
 protected:
  void SetUp() override {
    CPlenkoDocTest::SetUp();
    view = std::make_unique<ViewController>(&doc, &window);
    view->OnActivateView();
  }
  void TearDown() override {
    view.reset();
    CPlenkoDocTest::TearDown();
  }
  void Drag(Point from, Point to) {
    view->OnLButtonDown(MouseKeys::LeftButton, from);
    view->OnMouseMove(MouseKeys::LeftButton, to);
    view->OnLButtonUp(0, to);
  }
  void DrawBox(Point from, Point to) {
    ASSERT_TRUE(view->OnCommand(CommandId::ToolBox));
    Drag(from, to);
  }
  void Pick(Point at) {
    ASSERT_TRUE(view->OnCommand(CommandId::ToolSelect));
    Drag(at, at);
  }

  test::RecordingWindow window;
  std::unique_ptr<ViewController> view;
};

TEST_F(EditedDocumentTest, ModifiedMeansTheContentDiffersFromTheFile) {
  Pick({100, 100});  // a click on empty paper changes nothing
  EXPECT_FALSE(doc.IsModified());
  DrawBox({20, 40}, {60, 88});
  EXPECT_TRUE(doc.IsModified());
  ASSERT_TRUE(doc.OnSaveDocument((dir / "m.vrl").string())) << doc.LastError();
  EXPECT_FALSE(doc.IsModified());
  Pick({20, 40});  // picking is no change
  EXPECT_FALSE(doc.IsModified());
  ASSERT_TRUE(doc.OnEditUndo());  // the pick
  EXPECT_FALSE(doc.IsModified());
  ASSERT_TRUE(doc.OnEditUndo());  // the box, which the file holds: closing now would lose it
  EXPECT_TRUE(doc.IsModified());
  ASSERT_TRUE(doc.OnEditRedo());
  EXPECT_FALSE(doc.IsModified());
  Pick({20, 40});
  ASSERT_TRUE(view->OnCommand(CommandId::EditDelete));
  EXPECT_TRUE(doc.IsModified());
  ASSERT_TRUE(doc.OnEditUndo());  // back to what the file holds
  EXPECT_FALSE(doc.IsModified());
}

TEST_F(EditedDocumentTest, RedoLastsUntilTheContentChanges) {
  DrawBox({20, 40}, {60, 88});
  DrawBox({100, 40}, {140, 88});
  ASSERT_TRUE(doc.OnEditUndo());
  EXPECT_TRUE(doc.CanRedo());
  ASSERT_TRUE(view->OnCommand(CommandId::ToolSelect));
  EXPECT_TRUE(doc.CanRedo());
  Pick({20, 40});
  EXPECT_TRUE(doc.CanRedo());
  ASSERT_TRUE(doc.OnEditRedo());
  EXPECT_EQ(doc.sheet->objects.Count(), 2);
  ASSERT_TRUE(doc.OnEditUndo());
  Drag({20, 40}, {28, 56});  // moving the picked corner is a change
  EXPECT_FALSE(doc.CanRedo());
  EXPECT_FALSE(doc.OnEditRedo());
}

TEST_F(EditedDocumentTest, AnOpenedDocumentHasNothingPicked) {
  DrawBox({20, 40}, {60, 88});
  DrawBox({100, 40}, {140, 88});
  Pick({100, 40});
  ASSERT_TRUE(view->OnCommand(CommandId::EditCopy));
  ASSERT_TRUE(view->OnCommand(CommandId::EditPaste));  // the pasted copy is selected, the corner still current
  ASSERT_TRUE(doc.sheet->current != nullptr && !doc.sheet->selected.Empty());
  const fs::path path = dir / "picked.vrl";
  ASSERT_TRUE(doc.OnSaveDocument(path.string())) << doc.LastError();
  view.reset();

  CPlenkoDoc opened;
  ASSERT_TRUE(opened.OnOpenDocument(path.string())) << opened.LastError();
  EXPECT_EQ(opened.sheet->current, nullptr);
  EXPECT_TRUE(opened.sheet->selected.Empty());
  List<DrawObj*>::Cursor cursor(opened.sheet->objects);
  for (const DrawObj* obj = cursor.First(); obj != nullptr; obj = cursor.Next()) {
    EXPECT_FALSE(obj->Has(DrawObj::Highlighted | DrawObj::FreeMove));
    if (const auto* box = dynamic_cast<const Box*>(obj)) {
      EXPECT_FALSE(box->top.start.Has(DrawObj::Highlighted | DrawObj::FreeMove));
    }
  }
  ViewController openedView(&opened, &window);
  openedView.OnActivateView();
  EXPECT_FALSE(openedView.UpdateCommand(CommandId::EditDelete).enabled);
  EXPECT_FALSE(opened.IsModified());
}

TEST_F(CPlenkoDocTest, ADocumentFileHoldingNothingOpensWithANewSheet) {
  const fs::path path = dir / "nothing.vrl";
  {
    store::Database nothing(path.string());
    std::string error;
    ASSERT_TRUE(store::DocumentFile::Save(nothing, path.string(), error)) << error;
  }
  CPlenkoDoc opened;
  ASSERT_TRUE(opened.OnOpenDocument(path.string())) << opened.LastError();
  const Sheet& sheet = *opened.sheet;
  EXPECT_TRUE(sheet.width == 624 && sheet.height == 1024 && sheet.cellWidth == 8 && sheet.cellHeight == 16);
  EXPECT_EQ(sheet.textFileName.View(), (dir / "nothing.txt").string());
  EXPECT_FALSE(opened.IsModified());
  EXPECT_EQ(ReadFile(path).empty(), false);
}

}  // namespace
}  // namespace virlo
