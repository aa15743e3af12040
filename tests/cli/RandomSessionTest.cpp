// Seeded random sessions through the script runner: after every step the links hold and no drawing object is in a
// Selection; every 25 steps the saved file opens to the same document; at the end undo goes back through states seen
// before, in order, and redo retraces them. VIRLO_RANDOM_SESSIONS=N plays N sessions, VIRLO_RANDOM_SEED=S seed S.
#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <random>

#include "cli/ScriptRunner.h"
#include "document/DocumentCheck.h"
#include "document/DocumentDump.h"
#include "model/ClipboardSheet.h"
#include "model/Sheet.h"
#include "objects/LinkPoint.h"
#include "objects/PersistentTypes.h"
#include "objects/StrBox.h"
#include "store/DocumentFile.h"
#include "store/Store.h"
#include "store/TypeLayout.h"
#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/common_interface_defs.h>
#endif
namespace virlo {
namespace {
using Type = store::TypeDescription;
// The session under way, written out when the process dies of a crash or a sanitizer report.
const std::string* dyingScript = nullptr;
void TellDyingScript() {
  const std::string text = "\n*** the random session that crashed:\n" + (dyingScript ? *dyingScript : "") + "\n";
  if (dyingScript != nullptr && ::write(2, text.data(), text.size()) < 0) dyingScript = nullptr;
}
extern "C" void OnFatalSignal(int signal) { TellDyingScript(), std::signal(signal, SIG_DFL), std::raise(signal); }
template <class T>
DrawObj* As(void* p, const Type* type) {
  return type == &T::Type() ? static_cast<T*>(p) : nullptr;
}
// Every drawing object of the database, parts included, with what it is.
std::vector<std::pair<DrawObj*, std::string>> DrawObjects(const store::Database& db) {
  std::vector<std::pair<DrawObj*, std::string>> all;
  for (const auto& [begin, allocation] : db.Allocations()) {
    if (allocation.type == &Type::Char()) continue;
    for (const auto& part : store::TypeLayout::Of(*allocation.type).Parts()) {
      void* p = reinterpret_cast<char*>(begin) + part.offset;
      for (DrawObj* (*as)(void*, const Type*) : {&As<StrBox>, &As<Box>, &As<Line>, &As<Dot>, &As<LinkPoint>})
        if (DrawObj* obj = as(p, part.type)) all.emplace_back(obj, part.type->Name() + " " + part.name);
    }
  }
  return all;
}
// A fingerprint cheap enough for every command: allocations, fields, references by address (undo works in place).
// The sheet's text file name is left out: it follows the file, not the undo history.
struct Fingerprint : store::FieldVisitor {
  std::size_t Of(const store::Database& db, const Sheet& sheet) {
    for (const auto& [begin, allocation] : db.Allocations()) {
      if (reinterpret_cast<const char*>(begin) == sheet.textFileName.Text()) continue;
      Mix(begin), Mix(reinterpret_cast<std::uintptr_t>(allocation.type)), Mix(allocation.count);
      const std::string_view chars(reinterpret_cast<char*>(begin), allocation.count);
      if (allocation.type == &Type::Char()) Mix(std::hash<std::string_view>()(chars));
      if (allocation.type != &Type::Char()) allocation.type->DescribeFields(reinterpret_cast<void*>(begin), *this);
    }
    return hash;
  }
  void Int32(const char*, std::int32_t& value) override { Mix(static_cast<std::uint32_t>(value)); }
  void UInt32(const char*, std::uint32_t& value) override { Mix(value); }
  void Reference(const char*, void*& to, const Type*) override { Mix(reinterpret_cast<std::uintptr_t>(to)); }
  void TransientReference(const char*, void*&) override {}
  void Embedded(const char* name, void* member, const Type& type) override {
    if (std::string_view(name) != "textFileName") type.DescribeFields(member, *this);
  }
  void Mix(std::uint64_t value) { hash = ((hash ^ value) * 0x100000001b3u) ^ (hash >> 31); }
  std::uint64_t hash = 0xcbf29ce484222325u;
};
std::string DumpOf(CPlenkoDoc& d) {
  std::string j, e;
  return DocumentDump::Write(*d.GetDatabase(), j, e) ? j : e;
}
struct Session {  // the generator, the runner it plays on, and the script so far
  Session(unsigned seed, const std::string& dir)
      : random(seed), file(dir + "/s.vrl"), print(dir + "/p.txt"), script("# seed " + std::to_string(seed) + '\n') {}
  std::mt19937 random;
  std::string file, print, script;
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> sink{std::fopen("/dev/null", "w"), &std::fclose};
  cli::ScriptRunner runner{sink.get(), sink.get()};
  std::vector<std::size_t> seen;  // fingerprints before every command, in order
  std::vector<Point> targets;     // places on the objects
  std::int64_t undone = 0;        // steps undone at the end
  int Pick(int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); }
  CPlenkoDoc& Doc() { return runner.Document(); }
  std::size_t Hash() { return Fingerprint().Of(*Doc().GetDatabase(), *Doc().sheet); }
  // The first fault, or "" when the whole session holds. Saved and opened first: text prints land in the folder.
  std::string Run(int steps) {
    std::string fault = runner.Start() ? Play("save \"" + file + "\"\nopen \"" + file + "\"") : "cannot start";
    for (int step = 1; step <= steps && fault.empty(); ++step)
      if ((fault = Play(Step())).empty() && step % 25 == 0) fault = Checkpoint(step < steps && Pick(3) == 0);
    return fault.empty() ? UndoAndRedoAll() : fault;
  }
  std::string Play(const std::string& lines) {  // one command at a time, then the checks
    std::vector<cli::ScriptCommand> commands;
    std::string error, fault;
    if (!cli::Script::Parse(lines, commands, error)) return "the generator wrote a bad line: " + error + "\n" + lines;
    script += lines + "\n";
    for (const cli::ScriptCommand& command : commands) seen.push_back(Hash()), runner.Run({command});
    return (fault = Check()).empty() ? "" : "after '" + lines + "': " + fault;
  }
  std::string Check() {
    std::string error;
    if (DocumentCheck::Run(*Doc().GetDatabase(), error) == nullptr) return "the document check fails: " + error;
    for (const auto& [obj, what] : DrawObjects(*Doc().GetDatabase()))
      if (obj->selection != nullptr) return "a " + what + " is still in a Selection";
    return "";
  }
  // The file holds exactly what was saved; a document opened from it has the same art and nothing picked.
  std::string Checkpoint(bool reopen) {
    std::string fault = Play("save \"" + file + "\"");
    const std::string saved = DumpOf(Doc());
    std::string error;
    std::string read;
    const std::unique_ptr<store::Database> raw = store::DocumentFile::Open(file, error);
    if (fault.empty() && raw == nullptr) fault = "the saved file cannot be read: " + error;
    if (fault.empty() && (!DocumentDump::Write(*raw, read, error) || read != saved)) {
      fault = "the file reads as\n" + read + "\nnot\n" + saved;
    }
    CPlenkoDoc opened;
    if (fault.empty() && !opened.OnOpenDocument(file)) fault = "the saved file does not open: " + opened.LastError();
    if (fault.empty() && opened.sheet->MakeText() != Doc().sheet->MakeText()) fault = "the file opens to other art";
    const bool picked = fault.empty() && (opened.sheet->current != nullptr || !opened.sheet->selected.Empty());
    if (picked) fault = "an opened document has something picked";
    if (!fault.empty() || !reopen || !(fault = Play("open \"" + file + "\"")).empty()) return fault;
    seen.assign(1, Hash());  // a new history starts here
    return DumpOf(Doc()) == DumpOf(opened) ? "" : "'open' of the saved file gives another document";
  }
  // Undo until refused: each state was seen before, in order back; redo retraces them to the last state.
  std::string UndoAndRedoAll() {
    const std::string last = DumpOf(Doc());
    const bool couldRedo = Doc().CanRedo();  // the session may end after an undo
    std::vector<std::size_t> states;
    seen.push_back(Hash());
    for (std::size_t at = seen.size() - 1; Doc().CanUndo();) {
      const std::string n = std::to_string(states.size() + 1), fault = Doc().OnEditUndo() ? Check() : "refused";
      script += "undo\n";
      if (!fault.empty()) return "undo " + n + ": " + fault;
      for (states.push_back(Hash()); at > 0 && seen[at] != states.back();) --at;
      if (seen[at] != states.back() || states.size() > 32) return "undo " + n + " is not to a state seen, in order";
    }
    undone += static_cast<std::int64_t>(states.size());
    for (std::size_t k = 1; k <= states.size(); ++k) {
      const std::string n = std::to_string(k), fault = Doc().CanRedo() && Doc().OnEditRedo() ? Check() : "refused";
      script += "redo\n";
      if (!fault.empty()) return "redo " + n + ": " + fault;
      if (k < states.size() && Hash() != states[states.size() - 1 - k]) return "redo " + n + " does not retrace undo";
    }
    if (DumpOf(Doc()) != last) return "redoing everything does not give the last state back";
    return Doc().CanRedo() == couldRedo ? "" : "after undoing and redoing everything, redo is enabled; it was not";
  }
  // A point: on an object, near one, between two, on the paper, or across its edges; maybe shift and ctrl.
  std::string At(bool keys = false) {
    const auto any = [&] { return targets[static_cast<std::size_t>(Pick(static_cast<int>(targets.size())))]; };
    const int kind = targets.empty() ? 6 : Pick(10), k = keys ? Pick(5) : 0;
    Point p = kind < 4 ? any() : Point{Pick(320), Pick(256)};
    if (kind < 2) p = {p.x + Pick(5) - 2, p.y + Pick(5) - 2};
    if (kind == 4 || kind == 5) p = {(any().x + any().x) / 2, (any().y + any().y) / 2};
    if (kind == 9) p = {Pick(1400) - 400, Pick(1800) - 400};  // beyond the edges of 624 x 1024
    return ' ' + std::to_string(p.x) + ' ' + std::to_string(p.y) + (k & 1 ? " shift" : "") + (k & 2 ? " ctrl" : "");
  }
  std::string Answer() {
    static const char *const japanese[] = {"あ", "漢字", "ｱｲｳ", "表", "ソ", "能", "ー", "　", "①"},
                             *const options[] = {"", " left", " center", " right", " frame", " noframe"};
    const int kind = Pick(7), f = Pick(3), columns = Pick(110) - 5, rows = Pick(90) - 5, marker = Pick(16);
    if (kind < 2) return kind == 0 ? "answer ok" : "answer cancel";
    if (kind == 2) return "answer marker " + std::to_string(marker);
    if (kind == 3) return "answer print " + std::to_string(columns) + " " + std::to_string(rows) + " \"" + print + "\"";
    std::string text;
    for (int n = Pick(7); n-- > 0;) {
      const int k = Pick(10);
      const char ch = static_cast<char>(' ' + Pick(95));
      text += k < 5 ? (ch == '"' || ch == '\\' ? "\\" : "") + std::string(1, ch) : k < 9 ? japanese[Pick(9)] : "\\n";
    }
    const std::string align = options[Pick(4)], frame = f == 0 ? "" : options[3 + f];
    return "answer text \"" + text + "\"" + (Pick(2) == 0 ? align + frame : frame + align);
  }
  std::string Step() {
    static const char* const tools[] = {"select", "dot", "line", "box", "strbox"};
    static const char* const edits[] = {"copy", "cut", "paste", "delete", "front", "back"};
    targets.clear();
    const auto all = DrawObjects(*Doc().GetDatabase());
    for (const auto& [obj, what] : all) {
      const Rect r = obj->GetRect(DrawObj::Area::Hit);
      targets.insert(targets.end(), {obj->GetPos(), {r.left, r.top}, {r.right - 1, r.bottom - 1}});
    }
    if (targets.size() > 240)  // big diagrams make slow sessions: a rubber band takes some away
      return "tool select\ndrag" + At() + At() + "\n" + (Pick(2) == 0 ? "delete" : "cut");
    const int kind = Pick(24);
    std::string moves, maybe = Pick(2) == 0 ? Answer() + "\n" : "";
    for (int n = Pick(4); n-- > 0;) moves += "move" + At(true) + "\n";
    if (kind < 3) return std::string("tool ") + tools[Pick(5)];
    if (kind < 8) return "drag" + At() + At(true);
    if (kind < 10) return "press" + At(true) + "\n" + moves + "release" + At(true);
    if (kind < 11) return "press" + (moves = At()) + "\nrelease" + moves;
    if (kind < 13) return maybe + "rpress" + At(true) + "\nrrelease" + At();
    if (kind < 16) return Answer() + "\ndrag" + At() + At(true);
    if (kind < 20) return kind == 16 ? Answer() : edits[Pick(6)];
    if (kind < 22) return kind == 20 ? (Pick(3) ? "undo" : "undo\nundo\nundo") : Pick(3) ? "redo" : "redo\nredo";
    return kind < 23 ? std::string(Pick(2) ? "move" : "release") + At(true) : maybe + "textprint";
  }
};

TEST(RandomSessionTest, EverySessionKeepsItsLinksSavesFaithfullyAndUndoesBackAndRedoesToTheEnd) {
  namespace fs = std::filesystem;
  RegisterPersistentTypes(), store::SetMaximumUndoOperations(32);
  const auto env = [](const char* name) { return std::getenv(name) ? std::max(std::atoi(std::getenv(name)), 0) : 0; };
  const int only = env("VIRLO_RANDOM_SEED"), sessions = only > 0 ? 1 : env("VIRLO_RANDOM_SESSIONS");
  std::error_code ec;  // in memory when it can: every save syncs its file
  std::string folder = fs::is_directory("/dev/shm", ec) ? "/dev/shm/virlo-random-XXXXXX" : "/tmp/virlo-random-XXXXXX";
  ASSERT_NE(::mkdtemp(folder.data()), nullptr) << folder;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);  // in bin/ of the build folder
  const fs::path failures = (ec ? fs::current_path() : exe.parent_path().parent_path()) / "random-session-failures";
  std::int64_t failed = 0, played = 0, undone = 0;
#if defined(__SANITIZE_ADDRESS__)
  __sanitizer_set_death_callback(&TellDyingScript);
#else
  for (int s : {SIGSEGV, SIGABRT, SIGFPE, SIGBUS}) std::signal(s, &OnFatalSignal);
#endif
  for (int i = 1; i <= (sessions > 0 ? sessions : 200) && failed < 3; ++i, ++played) {
    const auto seed = static_cast<unsigned>(only > 0 ? only : i);
    while (DrawObj* obj = clipboardSheet->objects.PopFront()) store::Delete(obj);  // as in a new process
    Session session(seed, folder);
    const std::string fault = (dyingScript = &session.script, session.Run(200));
    dyingScript = nullptr, undone += session.undone;
    if (fault.empty()) continue;
    const fs::path path = failures / ("seed-" + std::to_string(seed) + ".script");
    fs::create_directories(failures, ec), ++failed, std::ofstream(path, std::ios::binary) << session.script;
    ADD_FAILURE() << "seed " << seed << " fails: " << fault << "\nrerun: VIRLO_RANDOM_SEED=" << seed << "; script in "
                  << path.string() << " (it saves in " << folder << ", kept):\n"
                  << session.script;
  }
  while (DrawObj* obj = clipboardSheet->objects.PopFront()) store::Delete(obj);
  if (failed == 0) fs::remove_all(folder, ec);
  EXPECT_GE(undone, played * 5) << "steps undone at the ends of the sessions";
}

}  // namespace
}  // namespace virlo
