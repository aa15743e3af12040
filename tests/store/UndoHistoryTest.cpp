// Undo and redo of a document's database, on objects and in scripted sessions.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <random>

#include "cli/ScriptRunner.h"
#include "document/DocumentDump.h"
#include "model/Sheet.h"
#include "objects/Line.h"
#include "objects/PersistentTypes.h"
#include "objects/StrBox.h"
#include "store/Store.h"

namespace virlo {
namespace {

struct State {  // what a user could see and what a file would hold
  std::string art, dump;
  bool operator==(const State&) const = default;
};

State StateOf(const CPlenkoDoc& doc) {
  State s{doc.sheet->MakeText(), ""};
  std::string error;
  EXPECT_TRUE(DocumentDump::Write(*doc.GetDatabase(), s.dump, error)) << error;
  return s;
}

class UndoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterPersistentTypes();
    store::SetMaximumUndoOperations(32);
    ASSERT_TRUE(doc.OnNewDocument());
    db = doc.GetDatabase();
  }
  template <class T, class... A>
  T* Make(A&&... a) {
    return store::New<T>(db, doc.sheet, std::forward<A>(a)...);
  }
  void Edit(std::int32_t i) { db->SetUndoMarker(), Make<Dot>(4 + i % 70 * 8, 8, 1, nullptr); }  // a new dot

  CPlenkoDoc doc;
  store::Database* db = nullptr;
};

TEST_F(UndoTest, EditsUndoOneByOneInPlaceAndRedoBackWithTheirLinks) {
  Sheet* const sheet = doc.sheet;
  Line *a = nullptr, *b = nullptr, *c = nullptr, *d = nullptr;  // b joined to a, c resting on b, d on box
  Box* box = nullptr;
  const std::vector<std::function<void()>> edits = {
      [&] { a = Make<Line>(20, 24, 68, 24, nullptr, nullptr); },
      [&] { b = Make<Line>(68, 24, 68, 104, nullptr, &a->end); },
      [&] { c = Make<Line>(68, 56, 116, 56, nullptr, b); },
      [&] { box = Make<Box>(164, 24, 244, 88, nullptr); },
      [&] { d = Make<Line>(204, 88, 204, 152, nullptr, &box->bottom); },
      [&] { Make<StrBox>(324, 40, 0, 0, String(" hello "), nullptr); },
      [&] { b->end.marker = 9; },
      [&] { store::Delete(a); },  // edit 7, the first deletion
      [&] { store::Delete(box); },
      [&] { store::Delete(b); },
  };
  std::vector<State> states{StateOf(doc)};
  for (const auto& edit : edits) {
    db->SetUndoMarker();
    edit();
    states.push_back(StateOf(doc));
    ASSERT_NE(states.back(), states[states.size() - 2]) << "every edit changes something";
  }
  ASSERT_TRUE(c->start.hostLine == nullptr && d->start.hostLine == nullptr);
  for (std::size_t i = edits.size(); i-- > 0;) {
    ASSERT_TRUE(db->IsUndoable() && db->Undo()) << i;
    EXPECT_EQ(StateOf(doc), states[i]) << "undoing edit " << i;
    EXPECT_TRUE(doc.sheet == sheet && db->FindRoot("Sheet")->GetValue() == sheet);
    if (i != 7) continue;
    EXPECT_TRUE(a->end.partner == &b->start && b->start.partner == &a->end);
    EXPECT_TRUE(c->start.hostLine == b && b->attached.Contains(&c->start) && d->start.hostLine == &box->bottom &&
                box->bottom.attached.Contains(&d->start));
    EXPECT_TRUE(sheet->objects.Contains(a) && sheet->objects.Contains(b) && sheet->objects.Contains(box));
  }
  EXPECT_FALSE(db->IsUndoable() || db->Undo());
  for (std::size_t i = 1; i <= edits.size(); ++i) {
    ASSERT_TRUE(db->IsRedoable() && db->Redo()) << i;
    EXPECT_EQ(StateOf(doc), states[i]) << "redoing edit " << i - 1;
    EXPECT_TRUE(doc.sheet == sheet && db->FindRoot("Sheet")->GetValue() == sheet);
  }
  EXPECT_FALSE(db->IsRedoable() || db->Redo());
}

TEST_F(UndoTest, AtMostThirtyTwoStepsBackThenUndoIsRefused) {
  std::vector<State> states{StateOf(doc)};
  for (std::int32_t i = 0; i < 40; ++i) Edit(i), states.push_back(StateOf(doc));
  for (int i = 0; i < 32; ++i) ASSERT_TRUE(db->Undo()) << "undo " << i + 1;
  EXPECT_EQ(StateOf(doc), states[40 - 32]);
  EXPECT_FALSE(db->IsUndoable() || db->Undo());
  for (int i = 0; i < 32; ++i) ASSERT_TRUE(db->IsRedoable() && db->Redo()) << "redo " << i + 1;
  EXPECT_FALSE(db->IsRedoable());
  EXPECT_EQ(StateOf(doc), states[40]);
}

// A marker that follows no change adds no step, undo always undoes something,
// and after an undo an empty marker keeps the redo step but a change drops it.
TEST_F(UndoTest, EmptyMarkersAddNoStepAndKeepRedoButAChangeDropsIt) {
  const State empty = StateOf(doc);
  db->SetUndoMarker();
  EXPECT_FALSE(db->IsUndoable()) << "nothing changed yet";
  Edit(1);
  const State one = StateOf(doc);
  db->SetUndoMarker();  // a click on empty paper
  Edit(2);
  db->SetUndoMarker();
  EXPECT_TRUE(db->Undo() && StateOf(doc) == one);
  EXPECT_TRUE(db->Undo() && StateOf(doc) == empty) << "the marker after the last change is no step";
  EXPECT_FALSE(db->IsUndoable() || db->Undo());
  db->SetUndoMarker();
  EXPECT_TRUE(db->IsRedoable() && db->Redo() && StateOf(doc) == one);
  Make<Dot>(28, 56, 1, nullptr);
  EXPECT_FALSE(db->IsRedoable());
  db->SetUndoMarker();
  EXPECT_FALSE(db->IsRedoable() || db->Redo());
}

// A box, lines on it, joined and resting on each other, a text box, then 25
// random steps there, a marker before each; every undo and redo shows a state
// seen before, and they go back to the start and on to the end.
class RandomSessionUndoTest : public ::testing::TestWithParam<unsigned> {};

TEST_P(RandomSessionUndoTest, UndoesToTheStartAndRedoesToTheEnd) {
  RegisterPersistentTypes();
  store::SetMaximumUndoOperations(32);
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> sink(std::tmpfile(), &std::fclose);
  cli::ScriptRunner runner(sink.get(), sink.get());
  ASSERT_TRUE(runner.Start());
  CPlenkoDoc& doc = runner.Document();
  Sheet* const sheet = doc.sheet;
  std::vector<State> seen{StateOf(doc)};
  auto play = [&](const std::string& source) {
    std::vector<cli::ScriptCommand> commands;
    std::string error;
    ASSERT_TRUE(cli::Script::Parse(source, commands, error)) << error << "\n" << source;
    for (const cli::ScriptCommand& command : commands) {
      runner.Run({command});
      seen.push_back(StateOf(doc));
    }
  };
  play(
      "tool box\ndrag 20 24 100 88\ntool line\ndrag 100 56 180 56\ndrag 140 56 140 120\ndrag 180 56 180 120\n"
      "tool strbox\nanswer text \"abc\\nd\" center frame\npress 220 24\nrelease 220 24");
  std::mt19937 random(GetParam());
  auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  auto at = [&] { return " " + std::to_string(pick(240)) + " " + std::to_string(pick(160)); };
  const char* tools[] = {"select", "dot", "line", "box", "strbox"};
  const char* edits[] = {"delete", "copy", "cut", "paste", "front", "back"};
  for (int step = 0; step < 25 && !HasFatalFailure(); ++step) {
    const int kind = pick(6);
    const std::string line = kind == 0   ? std::string("tool ") + tools[pick(5)]
                             : kind < 3  ? "answer text \"t" + std::to_string(step) + "\" frame\ndrag" + at() + at()
                             : kind == 3 ? "press" + at() + "\nrelease" + at()
                             : kind == 4
                                 ? "answer marker " + std::to_string(pick(16)) + "\nrpress" + at() + "\nrrelease 0 0"
                                 : edits[pick(6)];
    doc.SetUndoMarker();
    play(line);
  }
  auto seenBefore = [&] { return std::find(seen.begin(), seen.end(), StateOf(doc)) != seen.end(); };
  int undone = 0, redone = 0;
  for (; doc.CanUndo(); ++undone) {
    ASSERT_TRUE(doc.OnEditUndo() && doc.sheet == sheet);
    ASSERT_TRUE(seenBefore()) << "undo " << undone + 1 << " gave an unseen state:\n" << doc.sheet->MakeText();
  }
  EXPECT_EQ(StateOf(doc), seen.front());
  for (; doc.CanRedo(); ++redone) {
    ASSERT_TRUE(doc.OnEditRedo() && doc.sheet == sheet);
    ASSERT_TRUE(seenBefore()) << "redo " << redone + 1 << " gave an unseen state";
  }
  EXPECT_EQ(StateOf(doc), seen.back());
  EXPECT_TRUE(redone == undone && undone >= 5) << undone << " undone, " << redone << " redone";
}

INSTANTIATE_TEST_SUITE_P(Seeds, RandomSessionUndoTest, ::testing::Values(1u, 2u, 3u, 17u, 2024u, 99991u));

}  // namespace
}  // namespace virlo

namespace virlo {
namespace {

// Undo, change, undo: the first undo's redo step must not come back over the change.
TEST(UndoRedoOrderTest, AChangeBetweenTwoUndosDropsTheOlderRedoSteps) {
  store::SetMaximumUndoOperations(32);
  RegisterPersistentTypes();
  store::Database db("/tmp/undo-order.vrl");
  Sheet* sheet = store::New<Sheet>(&db, 624, 1024, 8, 16);
  db.CreateRoot("Sheet")->SetValue(sheet);
  auto art = [&] { return sheet->MakeText(); };
  db.SetUndoMarker();
  store::New<Dot>(&db, sheet, 12, 8, 7, nullptr);  // state B
  const std::string b = art();
  ASSERT_TRUE(db.Undo());  // back to A, B redoable
  db.SetUndoMarker();
  store::New<Dot>(&db, sheet, 36, 8, 14, nullptr);  // state C, a change after the undo
  const std::string c = art();
  ASSERT_TRUE(db.Undo());  // back to A, only C redoable
  ASSERT_TRUE(db.Redo());
  EXPECT_EQ(art(), c);
  EXPECT_FALSE(db.Redo()) << "B came back over C";
  EXPECT_NE(art(), b);
  store::Delete(sheet);
}

}  // namespace
}  // namespace virlo
