// Whole sessions through the script runner, checked after every command: the
// document check passes and nothing is left in a Selection. Every golden
// session and example is played so, then saved, opened and saved again. Seeded
// random sessions also save every 25 steps, and at the end undo goes back
// through states seen before, in order, and redo retraces them. Wherever a
// session saves so, its art is imported again and must come back the same;
// a golden session's or example's also with the boxes and links it shows.
// After every command the sheet's hit index must answer as a walk of its
// list does. The proof sessions play the same way beside the undo history as it was
// before it kept only what changed: full copies of the whole database at
// every marker, kept, dropped, compared and restored by the old rules. After
// every command each state the history keeps is restored and compared with
// its full copy, and every undo and redo must give the copy's state; the
// modified mark must be what comparing the contents gives.
// VIRLO_RANDOM_SESSIONS=N plays N random sessions, VIRLO_RANDOM_SEED=S only seed S.
#include <gtest/gtest.h>

#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <random>
#include <string_view>

#include "control/CommandIds.h"
#include "document/DocumentCheck.h"
#include "document/DocumentContent.h"
#include "import/ImportRoundTrip.h"
#include "objects/ClipboardSheet.h"
#include "objects/DrawObj.h"
#include "objects/HitIndex.h"
#include "objects/PersistentTypes.h"
#include "objects/Sheet.h"
#include "script/ScriptRunner.h"
#include "store/Arena.h"
#include "store/DocumentFile.h"
#include "store/Store.h"
#include "store/UndoHistory.h"
#include "support/DocumentState.h"
#include "support/TempFolder.h"

namespace virlo {
namespace {

using Type = store::TypeDescription;
using test::DocumentState;

// The whole database as the old undo markers copied it: every allocation
// with every stored field, through the field descriptions, and the roots;
// references by address, since undo works in place. `content` leaves out the
// text print's name, which follows the file: an undo or redo puts it back as
// it was before the step. On the way it notes every point of the drawing, and
// whether anything is left in a Selection or keeps a list cursor: no
// operation may leave either behind.
struct FullCopy {
  std::string all;
  std::string content;
  std::vector<Point> points;  // of every dot and line end
  bool leftOver = false;

  explicit FullCopy(const Document& doc) {
    const void* name = doc.sheet->textFileName.Text();
    for (const auto& [begin, allocation] : doc.GetDatabase()->Allocations()) {
      Writer writer;
      writer.Put(begin);
      writer.Put(reinterpret_cast<std::uintptr_t>(allocation.type));
      writer.Put(allocation.count);
      if (allocation.type == &Type::Char()) {
        writer.out.append(reinterpret_cast<const char*>(begin), allocation.count);
      } else {
        for (std::size_t i = 0; i < allocation.count; ++i) {
          allocation.type->DescribeFields(reinterpret_cast<char*>(begin) + i * allocation.size, writer);
        }
      }
      all += writer.out;
      if (reinterpret_cast<const void*>(begin) != name) content += writer.withoutName;
      points.insert(points.end(), writer.points.begin(), writer.points.end());
      leftOver = leftOver || writer.leftOver;
    }
    for (const auto& root : doc.GetDatabase()->Roots()) {
      const std::string entry = root->Name() + "=" + std::to_string(reinterpret_cast<std::uintptr_t>(root->GetValue()));
      all += entry;
      content += entry;
    }
  }
  friend bool operator==(const FullCopy&, const FullCopy&) = default;

 private:
  struct Writer : store::FieldVisitor {
    void Int32(const char* name, std::int32_t& value) override {
      Put(static_cast<std::uint32_t>(value));
      if (std::string_view(name) == "x") x = value;
      if (std::string_view(name) == "y") points.push_back({x, value});
    }
    void UInt32(const char*, std::uint32_t& value) override { Put(value); }
    void Reference(const char*, void*& to, const Type*) override { Put(reinterpret_cast<std::uintptr_t>(to)); }
    void TransientReference(const char*, void*& to) override { leftOver = leftOver || to != nullptr; }
    void Embedded(const char* name, void* member, const Type& type) override {
      const bool isName = std::string_view(name) == "textFileName";
      naming += isName ? 1 : 0;
      type.DescribeFields(member, *this);
      naming -= isName ? 1 : 0;
    }
    void Put(std::uint64_t value) {
      const std::string bytes(reinterpret_cast<const char*>(&value), sizeof value);
      out += bytes;
      if (naming == 0) withoutName += bytes;
    }
    std::string out;
    std::string withoutName;
    int naming = 0;
    std::vector<Point> points;
    bool leftOver = false;
    std::int32_t x = 0;
  };
};

// The undo history as it was: full copies, by the rules it had.
class OldHistory {
 public:
  struct State {
    FullCopy copy;
    std::string content;  // DocumentContent
  };

  void SetMarker(const State& now) {
    if (!redo_.empty() && !Unchanged(now)) redo_.clear();
    if (undo_.empty() || undo_.back().copy.all != now.copy.all) undo_.push_back(now);
    while (undo_.size() > 32) undo_.pop_front();
  }
  bool IsUndoable(const State& now) const {
    return undo_.size() >= 2 || (undo_.size() == 1 && undo_.back().copy.all != now.copy.all);
  }
  bool IsRedoable(const State& now) const { return !redo_.empty() && Unchanged(now); }
  // The state an undo restores; call only when IsUndoable.
  State Undo(const State& now) {
    if (!redo_.empty() && !Unchanged(now)) redo_.clear();
    while (!undo_.empty() && undo_.back().copy.all == now.copy.all) undo_.pop_back();
    redo_.push_back(now);
    State restored = undo_.back();
    undo_.pop_back();
    restored_ = restored.content;
    return restored;
  }
  // The state a redo restores; call only when IsRedoable.
  State Redo(const State& now) {
    if (undo_.empty() || undo_.back().copy.all != now.copy.all) undo_.push_back(now);
    while (undo_.size() > 32) undo_.pop_front();
    State restored = redo_.back();
    redo_.pop_back();
    restored_ = restored.content;
    return restored;
  }
  const std::deque<State>& UndoStates() const { return undo_; }
  const std::vector<State>& RedoStates() const { return redo_; }

 private:
  bool Unchanged(const State& now) const { return restored_.has_value() && *restored_ == now.content; }

  std::deque<State> undo_;
  std::vector<State> redo_;
  std::optional<std::string> restored_;
};

// The generator, the runner it plays on, and the script so far.
class Session {
 public:
  Session(unsigned seed, const test::TempFolder& folder)
      : random_(seed), file_(folder.Path("s.vrl")), print_(folder.Path("p.txt")) {
    script = "# seed " + std::to_string(seed) + "\n";
  }

  // The first fault, or "" when the whole session holds. It saves and opens
  // first, so its text prints land in the folder.
  std::string Run(int steps) {
    if (!runner_.Start()) return "cannot start";
    std::string fault = Play("save \"" + file_ + "\"\nopen \"" + file_ + "\"");
    for (int step = 1; step <= steps && fault.empty(); ++step) {
      fault = Play(Step());
      if (fault.empty() && step % 25 == 0) fault = Checkpoint(step < steps && Pick(3) == 0);
    }
    return fault.empty() ? UndoAndRedoAll() : fault;
  }

  // A whole script as it is, then saved, opened and saved again.
  std::string Replay(const std::string& source) {
    if (!runner_.Start()) return "cannot start";
    wholeScript_ = true;
    std::string fault = Play(source);
    if (fault.empty()) fault = Checkpoint(true);
    return fault.empty() ? Checkpoint(false) : fault;
  }

  std::string script;
  std::int64_t undone = 0;  // steps undone at the end
  // Plays beside the old history (see the top of the file).
  bool prove = false;
  std::int64_t statesCompared = 0;

 private:
  int Pick(int n) { return static_cast<int>(random_() % static_cast<unsigned>(n)); }
  Document& Doc() { return runner_.GetDocument(); }
  std::size_t Hash() { return std::hash<std::string>()(FullCopy(Doc()).content); }

  // One command at a time, each followed by the checks.
  std::string Play(const std::string& lines) {
    std::vector<script::ScriptCommand> commands;
    std::string error;
    if (!script::Script::Parse(lines, commands, error)) return "a bad line: " + error + "\n" + lines;
    script += lines + "\n";
    for (const script::ScriptCommand& command : commands) {
      seen_.push_back(Hash());
      std::string fault;
      if (prove) {
        fault = RunBesideOldHistory(command);
      } else {
        runner_.Run({command});
      }
      if (fault.empty()) fault = Check();
      if (!fault.empty()) return "after '" + command.word + "' of '" + lines + "': " + fault;
    }
    return "";
  }

  std::string Check() {
    std::string error;
    if (DocumentCheck::Run(*Doc().GetDatabase(), error) == nullptr) return "the document check fails: " + error;
    const FullCopy copy(Doc());
    if (copy.leftOver) return "an object is still in a Selection, or a list keeps a cursor";
    return HitsFault(copy.points);
  }

  // The hit index answers as a walk of the list from the front does, at
  // every point of the drawing and at the edges of its cell; and again with
  // that answer excluded, which asks for the one behind it.
  std::string HitsFault(const std::vector<Point>& points) {
    const Sheet& sheet = *Doc().sheet;
    if (!sheet.Index().Agrees()) return "the hit index does not hold what the list holds, where it lies now";
    const auto walk = [&](Point p, const DrawObj* exclude) -> DrawObj* {
      List<DrawObj*>::Cursor cursor(sheet.objects);
      for (DrawObj* obj = cursor.First(); obj != nullptr; obj = cursor.Next()) {
        if (obj != exclude && obj->HitTest(p.x, p.y)) return obj;
      }
      return nullptr;
    };
    const std::int32_t hx = sheet.cellWidth / 2;
    const std::int32_t hy = sheet.cellHeight / 2;
    for (const Point& at : points) {
      for (const Point& p : {at, Point{at.x - hx, at.y - hy}, Point{at.x + hx - 1, at.y + hy - 1},
                             Point{at.x + hx, at.y + hy}, Point{at.x + 3 * hx, at.y}}) {
        DrawObj* front = walk(p, nullptr);
        if (sheet.HitObject(p.x, p.y, nullptr) != front || sheet.HitObject(p.x, p.y, front) != walk(p, front)) {
          return "the hit index answers otherwise than the list at " + std::to_string(p.x) + " " + std::to_string(p.y);
        }
      }
    }
    return "";
  }

  OldHistory::State Now() { return {FullCopy(Doc()), DocumentContent::Of(*Doc().sheet)}; }

  // One command, with the old history taking the same markers, undos and
  // redos; then every state kept is compared with the old one's copy.
  std::string RunBesideOldHistory(const script::ScriptCommand& command) {
    using Kind = script::ScriptCommand::Kind;
    const OldHistory::State before = Now();
    const std::int32_t markers = Doc().GetDatabase()->UndoMarkerCount();
    const bool dragging = Doc().IsDragging();
    const bool undo = command.kind == Kind::Command && command.commandId == CommandId::EditUndo;
    const bool redo = command.kind == Kind::Command && command.commandId == CommandId::EditRedo;
    bool step = false;
    if (undo) {
      step = Doc().CanUndo();
      if (step != (!dragging && old_.IsUndoable(before))) return "undo is enabled where the old history differs";
    }
    if (redo) {
      step = Doc().CanRedo();
      if (step != (!dragging && old_.IsRedoable(before))) return "redo is enabled where the old history differs";
    }
    runner_.Run({command});
    if (command.kind == Kind::Open) {
      old_ = OldHistory();  // a new database, a new history
      saved_ = DocumentContent::Of(*Doc().sheet);
      return "";
    }
    if (command.kind == Kind::Save) saved_ = DocumentContent::Of(*Doc().sheet);
    if (Doc().GetDatabase()->UndoMarkerCount() != markers) old_.SetMarker(before);
    const OldHistory::State after = Now();
    if (step) {
      const OldHistory::State expected = undo ? old_.Undo(before) : old_.Redo(before);
      if (after.copy.content != expected.copy.content) return "the step restored another state than the old one";
    }
    // The mark is brought up to date after every command but moves, tool
    // choices and answers (which only wait for a dialog).
    const bool marks = command.kind != Kind::Move && command.kind != Kind::Tool && command.kind != Kind::Show &&
                       command.kind != Kind::State && command.kind != Kind::AnswerOk &&
                       command.kind != Kind::AnswerCancel && command.kind != Kind::AnswerMarker &&
                       command.kind != Kind::AnswerText && command.kind != Kind::AnswerPrint;
    if (marks && Doc().IsModified() != (after.content != saved_))
      return "the modified mark is not what the content says";
    return CompareKeptStates(after);
  }

  std::string CompareKeptStates(const OldHistory::State& now) {
    // What the history tells of the saved state without comparing contents.
    const store::Sameness saved = Doc().GetDatabase()->CompareWithSaved();
    if (saved != store::Sameness::Unknown && (saved == store::Sameness::Same) != (now.content == saved_)) {
      return "the history judges the saved content wrongly";
    }
    const bool dragging = Doc().IsDragging();
    if (Doc().CanUndo() != (!dragging && old_.IsUndoable(now))) return "undo is enabled where the old history differs";
    if (Doc().CanRedo() != (!dragging && old_.IsRedoable(now))) return "redo is enabled where the old history differs";
    store::UndoHistory* history = Doc().GetDatabase()->History();
    const auto& undo = old_.UndoStates();
    const auto& redo = old_.RedoStates();
    const std::size_t undoSteps = history != nullptr ? history->UndoSteps() : 0;
    const std::size_t redoSteps = history != nullptr ? history->RedoSteps() : 0;
    if (undoSteps != undo.size() || redoSteps != redo.size()) {
      return "the history keeps " + std::to_string(undoSteps) + " + " + std::to_string(redoSteps) +
             " steps, the old one " + std::to_string(undo.size()) + " + " + std::to_string(redo.size());
    }
    for (std::size_t i = 1; i <= undo.size() + redo.size(); ++i) {
      const bool back = i <= undo.size();
      const int steps = back ? static_cast<int>(i) : -static_cast<int>(i - undo.size());
      const FullCopy& expected = back ? undo[undo.size() - i].copy : redo[redo.size() - (i - undo.size())].copy;
      bool same = false;
      Sheet* sheet = Doc().sheet;
      history->VisitStep(steps, [&] { same = FullCopy(Doc()) == expected && Doc().sheet == sheet; });
      if (!same) return "kept state " + std::to_string(steps) + " is not the old copy";
      ++statesCompared;
    }
    if (FullCopy(Doc()) != now.copy) return "visiting the kept states changed the present";
    return "";
  }

  // The file holds exactly what was saved; a document opened from it has the
  // same art and nothing picked; opening it in the session gives the same document.
  std::string Checkpoint(bool reopen) {
    std::string fault = Play("save \"" + file_ + "\"");
    if (!fault.empty()) return fault;
    const std::string saved = DocumentState::Dump(*Doc().GetDatabase());
    std::string error;
    const std::unique_ptr<store::Database> raw = store::DocumentFile::Open(file_, error);
    if (raw == nullptr) return "the saved file cannot be read: " + error;
    const std::string read = DocumentState::Dump(*raw);
    if (read != saved) return "the file reads as\n" + read + "\nnot\n" + saved;
    Document opened;
    if (!opened.OnOpenDocument(file_)) return "the saved file does not open: " + opened.LastError();
    if (opened.sheet->MakeText() != Doc().sheet->MakeText()) return "the file opens to other art";
    if (opened.sheet->current != nullptr || !opened.sheet->selected.Empty()) return "an opened document has a pick";
    fault = test::ImportRoundTripFault(*Doc().sheet, wholeScript_);
    if (!fault.empty()) return fault;
    if (!reopen) return "";
    fault = Play("open \"" + file_ + "\"");
    if (!fault.empty()) return fault;
    seen_.assign(1, Hash());  // a new history starts here
    return DocumentState::Of(Doc()) == DocumentState::Of(opened) ? "" : "'open' of the saved file gives another one";
  }

  // Undo until refused: each state was seen before, in order back; redo
  // retraces them to the last state.
  std::string UndoAndRedoAll() {
    const DocumentState last = DocumentState::Of(Doc());
    const bool couldRedo = Doc().CanRedo();   // the session may end after an undo
    std::vector<std::size_t> states{Hash()};  // after 0, 1, 2, ... undos
    std::size_t at = seen_.size();
    seen_.push_back(states.back());
    while (Doc().CanUndo()) {
      std::string fault = Play("undo");
      states.push_back(Hash());
      while (at > 0 && seen_[at] != states.back()) --at;
      if (fault.empty() && (seen_[at] != states.back() || states.size() > 33)) fault = "not to a state seen, in order";
      if (!fault.empty()) return "undo " + std::to_string(states.size() - 1) + ": " + fault;
    }
    undone += static_cast<std::int64_t>(states.size() - 1);
    for (std::size_t k = states.size() - 1; k > 0; --k) {
      std::string fault = Play("redo");
      if (fault.empty() && k > 1 && Hash() != states[k - 1]) fault = "it does not retrace the undo";
      if (!fault.empty()) return "redo " + std::to_string(states.size() - k) + ": " + fault;
    }
    if (DocumentState::Of(Doc()) != last) return "redoing everything does not give the last state back";
    if (Doc().CanRedo() != couldRedo) return "after undoing and redoing everything, redo is enabled; it was not";
    return "";
  }

  // A point: on an object, near one, between two, on the paper, or past the
  // sheet's edges; with keys, maybe shift and ctrl.
  std::string At(bool keys = false) {
    static const char* const modifiers[] = {"", " shift", " ctrl", " shift ctrl"};
    const auto any = [&] { return targets_[static_cast<std::size_t>(Pick(static_cast<int>(targets_.size())))]; };
    const int kind = targets_.empty() ? 6 : Pick(10);
    Point p{Pick(320), Pick(256)};
    if (kind < 4) p = any();
    if (kind < 2) p = {p.x + Pick(9) - 4, p.y + Pick(17) - 8};  // up to the edges of a hit area
    if (kind == 4 || kind == 5) {
      const Point a = any();
      const Point b = any();
      p = {(a.x + b.x) / 2, (a.y + b.y) / 2};
    }
    if (kind == 9) p = {Pick(1400) - 400, Pick(1800) - 400};  // beyond the edges of 624 x 1024
    return " " + std::to_string(p.x) + " " + std::to_string(p.y) + modifiers[keys ? Pick(4) : 0];
  }

  std::string Answer() {
    static const char* const pieces[] = {"あ", "漢字", "ｱｲｳ", "表", "ソ", "能", "ー", "　", "①", "\\n"};
    static const char* const alignments[] = {"", " left", " center", " right"};
    static const char* const frames[] = {"", " frame", " noframe"};
    const int kind = Pick(7);
    if (kind < 2) return kind == 0 ? "answer ok" : "answer cancel";
    if (kind == 2) return "answer marker " + std::to_string(Pick(16));
    if (kind == 3) {
      const std::string columns = std::to_string(Pick(110) - 5);
      return "answer print " + columns + " " + std::to_string(Pick(90) - 5) + " \"" + print_ + "\"";
    }
    std::string text;
    for (int n = Pick(7); n > 0; --n) {
      const char ch = static_cast<char>(' ' + Pick(95));
      if (Pick(2) == 1) {
        text += pieces[Pick(10)];
      } else {
        text += (ch == '"' || ch == '\\' ? "\\" : "") + std::string(1, ch);
      }
    }
    const std::string alignment = alignments[Pick(4)];
    const std::string frame = frames[Pick(3)];
    return "answer text \"" + text + "\"" + (Pick(2) == 0 ? alignment + frame : frame + alignment);
  }

  std::string Step() {
    static const char* const tools[] = {"select", "dot", "line", "box", "strbox"};
    static const char* const edits[] = {"copy", "cut", "paste", "delete", "front", "back"};
    targets_ = FullCopy(Doc()).points;
    // Big diagrams make slow sessions: a rubber band takes some away.
    if (targets_.size() > 50) return "tool select\ndrag" + At() + At() + "\n" + (Pick(2) == 0 ? "delete" : "cut");
    const std::string maybeAnswer = Pick(2) == 0 ? Answer() + "\n" : "";
    std::string moves;
    for (int n = Pick(4); n > 0; --n) moves += "move" + At(true) + "\n";
    const int kind = Pick(24);
    if (kind < 3) return std::string("tool ") + tools[Pick(5)];
    if (kind < 8) return "drag" + At() + At(true);
    if (kind < 10) return "press" + At(true) + "\n" + moves + "release" + At(true);
    if (kind < 11) {
      const std::string at = At();
      return "press" + at + "\nrelease" + at;
    }
    if (kind < 13) return maybeAnswer + "rpress" + At(true) + "\nrrelease" + At();
    if (kind < 16) return Answer() + "\ndrag" + At() + At(true);
    if (kind < 17) return Answer();
    if (kind < 20) return edits[Pick(6)];
    if (kind < 21) return Pick(3) != 0 ? "undo" : "undo\nundo\nundo";
    if (kind < 22) return Pick(3) != 0 ? "redo" : "redo\nredo";
    if (kind < 23) return (Pick(2) != 0 ? "move" : "release") + At(true);
    return maybeAnswer + "textprint";
  }

  std::mt19937 random_;
  std::string file_;
  std::string print_;
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> sink_{std::fopen("/dev/null", "w"), &std::fclose};
  script::ScriptRunner runner_{sink_.get(), sink_.get()};
  std::vector<std::size_t> seen_;  // hashes before every command, in order
  std::vector<Point> targets_;     // places on the objects
  OldHistory old_;
  std::string saved_;         // the content of the file as last saved or opened
  bool wholeScript_ = false;  // a drawn script, not random gestures
};

int FromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::max(std::atoi(value), 0) : 0;
}

// A short run by default; VIRLO_LONG_TESTS=1 plays ten times as many, for a release.
int RunLength(int usual) { return FromEnvironment("VIRLO_LONG_TESTS") > 0 ? usual * 10 : usual; }

void ClearClipboard() { clipboardSheet->DeleteObjects(); }

// What a run of random sessions came to.
struct SessionTotals {
  std::int64_t played = 0;
  std::int64_t undone = 0;    // steps undone at the ends of the sessions
  std::int64_t compared = 0;  // kept states compared with full copies
};

// Plays `count` seeded sessions of 200 steps (seeds after `seedBase`), or
// VIRLO_RANDOM_SESSIONS of them, or the one VIRLO_RANDOM_SEED names;
// reports the first three that fail with their scripts.
SessionTotals PlaySessions(int count, int seedBase, bool prove) {
  RegisterPersistentTypes();
  store::SetMaximumUndoOperations(32);
  const int only = FromEnvironment("VIRLO_RANDOM_SEED");
  const int sessions = only > 0 ? 1 : FromEnvironment("VIRLO_RANDOM_SESSIONS");
  const test::TempFolder folder(true);  // every save syncs its file
  SessionTotals totals;
  std::int64_t failed = 0;
  for (int i = 1; i <= (sessions > 0 ? sessions : count) && failed < 3; ++i) {
    const auto seed = static_cast<unsigned>(only > 0 ? only : seedBase + i);
    ClearClipboard();  // as in a new process
    Session session(seed, folder);
    session.prove = prove;
    const std::string fault = session.Run(200);
    ++totals.played;
    totals.undone += session.undone;
    totals.compared += session.statesCompared;
    if (fault.empty()) continue;
    ++failed;
    ADD_FAILURE() << "seed " << seed << " fails: " << fault << "\nrerun with VIRLO_RANDOM_SEED=" << seed
                  << "; the script:\n"
                  << session.script;
  }
  ClearClipboard();
  return totals;
}

TEST(RandomSessionTest, EverySessionKeepsItsLinksSavesFaithfullyAndUndoesBackAndRedoesToTheEnd) {
  const SessionTotals totals = PlaySessions(RunLength(30), 0, false);
  EXPECT_GE(totals.undone, totals.played * 5) << "steps undone at the ends of the sessions";
}

// Random sessions beside the old history, with both ways of watching writes.
void PlayBesideOldHistory(store::Arena::Watch watch) {
  const store::Arena::Watch previous = store::Arena::DefaultMode();
  store::Arena::SetDefaultMode(watch);
  const int count = RunLength(3);
  const SessionTotals totals = PlaySessions(count, 1000, true);
  store::Arena::SetDefaultMode(previous);
  EXPECT_GT(totals.compared, 50 * count) << "kept states compared";
}

TEST(UndoProofTest, EveryKeptStateIsTheOldFullCopyWithPagesWatchedByTraps) {
  PlayBesideOldHistory(store::Arena::Watch::Protect);
}

TEST(UndoProofTest, EveryKeptStateIsTheOldFullCopyWithPagesCompared) {
  PlayBesideOldHistory(store::Arena::Watch::Compare);
}

// The golden sessions and examples that end normally (a .status file marks
// one that fails).
std::vector<std::filesystem::path> Scripts() {
  std::vector<std::filesystem::path> scripts;
  for (const char* folder : {VIRLO_GOLDEN_DIR, VIRLO_EXAMPLES_DIR}) {
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      std::filesystem::path status = entry.path();
      if (entry.path().extension() == ".script" && !std::filesystem::exists(status.replace_extension(".status"))) {
        scripts.push_back(entry.path());
      }
    }
  }
  return scripts;
}

class RoundTripTest : public ::testing::TestWithParam<std::filesystem::path> {};

TEST_P(RoundTripTest, TheSessionHoldsTogetherAndItsFileOpensToTheSameDocumentAndSavesAgainUnchanged) {
  RegisterPersistentTypes();
  store::SetMaximumUndoOperations(32);
  std::ifstream in(GetParam(), std::ios::binary);
  const test::TempFolder folder(true);
  // The examples' saves and text prints land in the folder, not in the tree.
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(folder.Folder());
  ClearClipboard();  // as in a new process
  Session session(0, folder);
  EXPECT_EQ(session.Replay({std::istreambuf_iterator<char>(in), {}}), "");
  std::filesystem::current_path(previous);
}

// Named by folder and script: golden_NAME, examples_NAME.
INSTANTIATE_TEST_SUITE_P(Sessions, RoundTripTest, ::testing::ValuesIn(Scripts()),
                         [](const ::testing::TestParamInfo<std::filesystem::path>& p) {
                           return p.param.parent_path().filename().string() + "_" + p.param.stem().string();
                         });

}  // namespace
}  // namespace virlo
