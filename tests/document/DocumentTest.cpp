// The document: a new sheet, saving, opening, failures that leave files alone,
// undo through the views, and what counts as a change of its content.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "document/Document.h"
#include "document/DocumentContent.h"
#include "objects/Line.h"
#include "objects/Sheet.h"
#include "objects/StrBox.h"
#include "store/DocumentFile.h"
#include "store/TypeLayout.h"
#include "support/DocumentState.h"
#include "support/RecordingWindow.h"
#include "support/ViewFixture.h"

namespace virlo {
namespace {

namespace fs = std::filesystem;
using test::DocumentState;

class DocumentTest : public test::ViewFixture {
 protected:
  // A joined corner, a line resting on another, a box and a framed text box.
  void Draw() {
    store::Database* db = doc.GetDatabase();
    auto* top = store::New<Line>(db, doc.sheet, 20, 24, 68, 24, nullptr, nullptr);
    auto* side = store::New<Line>(db, doc.sheet, 68, 24, 68, 104, nullptr, &top->end);
    store::New<Line>(db, doc.sheet, 68, 56, 116, 56, nullptr, side);
    store::New<Box>(db, doc.sheet, 164, 24, 244, 88, nullptr);
    store::New<StrBox>(db, doc.sheet, 324, 40, 0, 0, String("a \"b\"\r\nあ"), nullptr)->frame = 1;
  }
  // A save that must fail and leave every file under the subfolder as it was.
  void ExpectSaveFails(const fs::path& target, const std::string& under) {
    const auto before = folder.Contents(under);
    const std::string path = doc.GetPathName();
    const std::string name(doc.sheet->textFileName.View());
    doc.SetModifiedFlag(true);
    EXPECT_FALSE(doc.OnSaveDocument(target.string())) << target;
    EXPECT_FALSE(doc.LastError().empty()) << target;
    EXPECT_TRUE(doc.IsModified() && doc.GetPathName() == path && doc.sheet->textFileName.View() == name) << target;
    EXPECT_EQ(folder.Contents(under), before) << target << ": a file changed or a stray file was left";
  }
};

TEST_F(DocumentTest, ANewSheetSavesAndOpensAgainWhileFilesThatDoNotOpenChangeNothing) {
  const Sheet& sheet = *doc.sheet;
  EXPECT_EQ(doc.GetPathName(), (fs::current_path() / "Plenko1.vrl").string());
  EXPECT_TRUE(doc.GetDatabase()->FindRoot("Sheet")->GetValue() == doc.sheet && sheet.objects.Empty());
  EXPECT_TRUE(!doc.IsModified() && !doc.CanUndo() && !doc.CanRedo());
  Draw();
  const std::string path = folder.Path("dia.vrl");
  ASSERT_TRUE(doc.OnSaveDocument(path)) << doc.LastError();
  EXPECT_EQ(doc.sheet->textFileName.View(), folder.Path("dia.txt"));
  EXPECT_TRUE(!doc.IsModified() && doc.GetPathName() == path && doc.GetTitle() == "dia");
  EXPECT_EQ(folder.Contents().size(), 1u) << "a stray file beside the document";
  Document opened;
  ASSERT_TRUE(opened.OnOpenDocument(path)) << opened.LastError();
  const DocumentState saved = DocumentState::Of(doc);
  EXPECT_EQ(DocumentState::Of(opened), saved);
  EXPECT_FALSE(opened.IsModified());

  // What fails to open leaves the open document, and the files, as they were.
  fs::create_directory(folder.Path("folder.vrl"));
  ASSERT_EQ(::mkfifo(folder.Path("fifo.vrl").c_str(), 0600), 0);
  std::ofstream(folder.Path("text.vrl")) << "not a document\n";
  const auto before = folder.Contents();
  doc.SetModifiedFlag(true);
  for (const char* name : {"missing.vrl", "folder.vrl", "fifo.vrl", "text.vrl"}) {
    EXPECT_FALSE(doc.OnOpenDocument(folder.Path(name))) << name;
    EXPECT_TRUE(!doc.LastError().empty() && doc.sheet == &sheet && doc.IsModified() && doc.GetPathName() == path);
    EXPECT_EQ(DocumentState::Of(doc), saved) << name;
  }
  EXPECT_EQ(folder.Contents(), before) << "opening only reads";
}

// A file may hold no sheet at all: it opens as a new sheet, named after it.
TEST_F(DocumentTest, ADocumentFileHoldingNothingOpensWithANewSheet) {
  const std::string path = folder.Path("nothing.vrl");
  {
    store::Database nothing(path);
    std::string error;
    ASSERT_TRUE(store::DocumentFile::Save(nothing, path, error)) << error;
  }
  Document opened;
  ASSERT_TRUE(opened.OnOpenDocument(path)) << opened.LastError();
  const Sheet& sheet = *opened.sheet;
  EXPECT_TRUE(sheet.width == 624 && sheet.height == 1024 && sheet.cellWidth == 8 && sheet.cellHeight == 16);
  EXPECT_EQ(sheet.textFileName.View(), folder.Path("nothing.txt"));
  EXPECT_FALSE(opened.IsModified());
}

// The damaged-document corpus holds a dot a step past them (dot_too_far.vrl).
TEST_F(DocumentTest, PositionsUpToTheCoordinateLimitsSaveAndOpen) {
  constexpr std::int32_t kMax = Sheet::MaxCoordinate;
  store::New<Line>(doc.GetDatabase(), doc.sheet, -kMax, kMax, kMax, kMax, nullptr, nullptr);
  store::New<Dot>(doc.GetDatabase(), doc.sheet, kMax, -kMax, 8, nullptr);
  const std::string path = folder.Path("far.vrl");
  ASSERT_TRUE(doc.OnSaveDocument(path)) << doc.LastError();
  Document opened;
  ASSERT_TRUE(opened.OnOpenDocument(path)) << opened.LastError();
  EXPECT_EQ(DocumentState::Of(opened), DocumentState::Of(doc));
}

// Onto a folder, into a missing folder, onto a full and a read-only file system.
TEST_F(DocumentTest, FailedSavesKeepOldFilesLeaveNoStrayFileAndKeepTheDocumentModified) {
  Draw();
  ASSERT_TRUE(doc.OnSaveDocument(folder.Path("keep.vrl")));
  fs::create_directories(folder.Path("folder.vrl"));
  fs::copy_file(folder.Path("keep.vrl"), folder.Path("folder.vrl/inner.vrl"));
  ExpectSaveFails(folder.Path("folder.vrl"), "");
  ExpectSaveFails(folder.Path("missing/x.vrl"), "");
  if (!folder.MountSmall("small")) GTEST_SKIP() << "cannot mount a 64k tmpfs here (needs root and the right to mount)";

  ASSERT_TRUE(doc.OnSaveDocument(folder.Path("small/dia.vrl"))) << doc.LastError();
  const String text(std::string(300, 'x').c_str());
  for (std::int32_t i = 0; i < 400; ++i) store::New<StrBox>(doc.GetDatabase(), doc.sheet, 4, 8, 0, 0, text, nullptr);
  ASSERT_TRUE(doc.OnSaveDocument(folder.Path("large.vrl"))) << doc.LastError();
  ASSERT_GT(fs::file_size(folder.Path("large.vrl")), 64u * 1024u);
  ExpectSaveFails(folder.Path("small/dia.vrl"), "small");
  ASSERT_TRUE(folder.MakeSmallReadOnly());
  ExpectSaveFails(folder.Path("small/dia.vrl"), "small");
}

// Undo and redo repaint every view of the document (how long redo lasts is
// a golden session's to show).
TEST_F(DocumentTest, UndoAndRedoRepaintEveryView) {
  test::RecordingWindow otherWindow;
  ViewController other(&doc, &otherWindow);
  EXPECT_FALSE(doc.OnEditUndo() || doc.OnEditRedo());
  DrawBox({20, 40}, {60, 88});
  ASSERT_TRUE(doc.OnEditUndo());
  EXPECT_EQ(otherWindow.redraws.size(), 1u);
  ASSERT_TRUE(doc.OnEditRedo());
  EXPECT_EQ(otherWindow.redraws.size(), 2u);
  EXPECT_EQ(doc.sheet->objects.Count(), 1);
}

// The content judge against the content itself: every number a document
// stores, changed alone, is judged as comparing the contents tells.
class DocumentContentTest : public test::ViewFixture {
 protected:
  void SetUp() override {
    test::ViewFixture::SetUp();
    s = doc.sheet;
    db = doc.GetDatabase();
  }

  Sheet* s = nullptr;
  store::Database* db = nullptr;
};

TEST_F(DocumentContentTest, EveryStoredNumberChangedAloneIsJudgedAsTheContentsCompare) {
  // One of each kind, joined and resting as a user makes them.
  Line* a = store::New<Line>(db, s, 20, 24, 100, 24, nullptr, nullptr);
  store::New<Line>(db, s, 60, 24, 60, 88, nullptr, a);
  Dot* dot = store::New<Dot>(db, s, 36, 24, 7, nullptr);
  dot->LinkToLine();
  store::New<Box>(db, s, 140, 24, 180, 56, nullptr);
  auto* text = store::New<StrBox>(db, s, 20, 120, 0, 0, String("ab"), nullptr);
  text->frame = 1;
  store::New<Dot>(db, s, 200, 120, 14, nullptr);
  s->current = dot;
  ASSERT_TRUE(doc.OnSaveDocument(folder.Path("content-judge.vrl")));
  const std::string saved = DocumentContent::Of(*s);
  ASSERT_EQ(db->CompareWithSaved(), store::Sameness::Same);

  int judged = 0;
  for (const auto& [address, allocation] : db->Allocations()) {
    if (allocation.type == &store::TypeDescription::Char()) continue;
    for (const auto& field : store::TypeLayout::Of(*allocation.type).Fields()) {
      if (field.kind != store::TypeLayout::FieldKind::Int32 && field.kind != store::TypeLayout::FieldKind::UInt32) {
        continue;
      }
      // A list's count is its nodes', a text's length its characters':
      // changed alone they make no sound state.
      if (field.name.ends_with("count") || field.name.ends_with("length")) continue;
      auto* place = reinterpret_cast<char*>(address) + field.offset;
      std::uint32_t original;
      std::memcpy(&original, place, sizeof original);
      for (const std::uint32_t change : {1u, 2u, 4u, 8u, 16u}) {
        const std::uint32_t value = original ^ change;
        std::memcpy(place, &value, sizeof value);
        const bool differs = DocumentContent::Of(*s) != saved;
        const store::Sameness verdict = db->CompareWithSaved();
        EXPECT_NE(verdict, store::Sameness::Unknown) << allocation.type->Name() << " " << field.name;
        EXPECT_EQ(verdict == store::Sameness::Different, differs)
            << allocation.type->Name() << " " << field.name << " ^ " << change;
        std::memcpy(place, &original, sizeof original);
        ++judged;
      }
    }
  }
  EXPECT_GT(judged, 200);
  EXPECT_EQ(db->CompareWithSaved(), store::Sameness::Same);
}

TEST_F(DocumentContentTest, PicksSelectionsAndRestackingBackAreNoChangeButRestackingIs) {
  Dot* back = store::New<Dot>(db, s, 20, 24, 7, nullptr);
  for (int i = 1; i < 50; ++i) store::New<Dot>(db, s, 20 + 16 * i, 24, 7, nullptr);
  Dot* front = store::New<Dot>(db, s, 20, 56, 7, nullptr);
  ASSERT_TRUE(doc.OnSaveDocument(folder.Path("content-order.vrl")));

  // Selecting and picking: no change.
  s->CollectInRect({0, 0, 400, 40});
  s->current = front;
  front->SetFlag(DrawObj::Highlighted, true);
  EXPECT_EQ(db->CompareWithSaved(), store::Sameness::Same);
  s->ClearSelection();
  EXPECT_EQ(db->CompareWithSaved(), store::Sameness::Same);

  // The front object taken out and put in front again: new list nodes, the same order.
  s->RemoveObject(front);
  s->PlaceInFront(front);
  EXPECT_EQ(db->CompareWithSaved(), store::Sameness::Same);

  // The back one brought to the front: a different order.
  s->RemoveObject(back);
  s->PlaceInFront(back);
  EXPECT_EQ(db->CompareWithSaved(), store::Sameness::Different);
  EXPECT_NE(DocumentContent::Of(*s), std::string());

  // And back where it was: the same order again, in other nodes.
  s->RemoveObject(back);
  s->PlaceAtBack(back);
  EXPECT_EQ(db->CompareWithSaved(), store::Sameness::Same);
}

}  // namespace
}  // namespace virlo
