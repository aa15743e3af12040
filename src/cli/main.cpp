// virlo-cli: the headless face of VIRLO.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/BlockCommands.h"
#include "control/ArtInput.h"
#include "control/CommandDocs.h"
#include "document/Document.h"
#include "document/DocumentCheck.h"
#include "document/DocumentDump.h"
#include "export/ArtExport.h"
#include "export/SvgExport.h"
#include "import/ArtGrid.h"
#include "import/ArtImporter.h"
#include "import/CommentPrefix.h"
#include "import/LeftoverFinder.h"
#include "objects/PersistentTypes.h"
#include "objects/Sheet.h"
#include "platform/AtomicFile.h"
#include "platform/TerminalText.h"
#include "platform/TextCodec.h"
#include "platform/UiLanguage.h"
#include "platform/UiText.h"
#include "script/Script.h"
#include "script/ScriptRunner.h"
#include "store/Database.h"
#include "store/DocumentFile.h"

namespace {

constexpr int ExitFailure = 1;
constexpr int ExitUsage = 2;
// Scripts are read whole; none of a sensible length comes near this.
constexpr std::uintmax_t MaxScriptBytes = 16 * 1024 * 1024;

// A file name or a text from outside, safe on a terminal.
std::string Quoted(std::string_view path) { return virlo::TerminalText::Quoted(path); }
std::string Shown(std::string_view text) { return virlo::TerminalText::Escaped(text); }

// Writes to standard output; false, with a message, when it refused.
bool WriteStdout(const std::string& bytes) {
  if (virlo::script::ScriptRunner::WriteAll(stdout, bytes)) return true;
  std::fprintf(stderr, "virlo-cli: cannot write to standard output: %s\n", std::strerror(errno));
  return false;
}

// The usage text; the words of the script commands come from the command table.
std::string Usage() {
  std::string text =
      "Usage: virlo-cli COMMAND [ARGUMENTS]\n"
      "\n"
      "Commands:\n"
      "  run SCRIPT [--open FILE.vrl [--details]]\n"
      "        replay a script of gestures and commands on a new document,\n"
      "        or on the document given\n"
      "  run SCRIPT --edit FILE:LINE [--dry-run]\n"
      "        replay it on the diagram in the block of FILE that holds LINE,\n"
      "        and write the diagram back into that block\n"
      "  render FILE.vrl [--output OUT] [--encoding utf-8|cp932] [--trim] [--crop]\n"
      "                 [--style ascii|unicode] [--comment PREFIX] [--format text|svg]\n"
      "                 [--frame] [--details]\n"
      "        print the document's character art (to OUT with CR LF line ends);\n"
      "        --trim drops blanks at line ends and empty lines at the end,\n"
      "        --crop also empty lines at the start and the blank columns all\n"
      "        lines start with, --style unicode draws lines with box-drawing\n"
      "        characters (UTF-8 only), --comment starts every line with PREFIX;\n"
      "        --format svg makes an SVG picture instead (--crop: of the drawing\n"
      "        alone, --frame: of the whole sheet with the green border the\n"
      "        editor's picture has)\n"
      "  render FILE.vrl --into FILE:LINE [--style ascii|unicode] [--dry-run]\n"
      "        write the document's art into the block of FILE that holds LINE,\n"
      "        in the block's prefix, encoding and line ends (--style: the\n"
      "        block's own unless given); lines whose art is unchanged stay\n"
      "        as they were, and a file that would not change is not written\n"
      "  dump FILE.vrl [--details]\n"
      "        print the document as JSON\n"
      "  import ART --output FILE.vrl [--encoding utf-8|cp932] [--comment PREFIX]\n"
      "                              [--tab N] [--quiet]\n"
      "        read character art (ART, or - for standard input) as a diagram of\n"
      "        boxes, lines, markers and text, and save it as FILE.vrl;\n"
      "        --comment strips PREFIX from every line (without it, a comment\n"
      "        marker and indentation every line starts with are stripped and\n"
      "        named), --tab sets tab stops (8), --quiet leaves out the report\n"
      "        of what was made and what stayed text\n"
      "  import FILE:LINE --output FILE.vrl [--quiet]\n"
      "        read the diagram in the block of FILE that holds LINE\n"
      "  blocks FILE [--all] [--import]\n"
      "        list the diagram blocks of a text file (Markdown fences and\n"
      "        indented blocks, reStructuredText literal blocks, comment runs):\n"
      "        their lines, kind, prefix, style and what their art draws;\n"
      "        --import reads each as import does and tells what it makes,\n"
      "        --all also lists blocks without line art\n"
      "  help commands [--markdown|--man]\n"
      "        the menus, keys and script words of the editor, as tables\n"
      "  --dry-run prints the file as it would be written and writes nothing.\n"
      "  --details lists, under the message saying a document cannot be opened,\n"
      "  every problem found in it (a damaged file's pages, for one).\n"
      "  A file named FILE:LINE itself is read as that file.\n"
      "  --help, --version\n"
      "\n"
      "A script has one command a line ('#' starts a comment):\n";
  text += "  tool " + virlo::script::Script::Words(virlo::script::Script::WordKind::Tools, "|") + "\n";
  text +=
      "  press X Y, move X Y, release X Y, rpress X Y, rrelease X Y   [shift] [ctrl]\n"
      "  drag X0 Y0 X1 Y1 [shift] [ctrl]\n";
  text += "  " + virlo::script::Script::Words(virlo::script::Script::WordKind::Commands, ", ") + "\n";
  text +=
      "  answer ok | answer cancel | answer marker N | answer marker \"C\"\n"
      "  answer text \"TEXT\" [left|center|right] [frame|noframe]\n"
      "  answer print COLS ROWS \"FILE\" (for textprint)\n"
      "  stroke solid|heavy|double|dashed|dotted, corners square|rounded\n"
      "  key left|right|up|down [shift] [ctrl]   an arrow key: moves the selection\n"
      "  save \"FILE\", open \"FILE\"\n"
      "  show         print the character art\n"
      "  state        print the modified mark, the undo and redo steps, the tool,\n"
      "               and what is picked and selected\n";
  return text;
}

bool IsHelp(std::string_view arg) { return arg == "--help" || arg == "-h"; }

// The usage on standard output; a full disk or a closed pipe fails it.
int Help() { return WriteStdout(Usage()) ? 0 : ExitFailure; }

// Whether two paths name one file, links and descriptors followed; "-" is
// the descriptor given, standard input or output.
bool SameFile(const std::string& a, int aDescriptor, const std::string& b) {
  struct stat first {};
  struct stat second {};
  const bool statted = a == "-" ? ::fstat(aDescriptor, &first) == 0 : ::stat(a.c_str(), &first) == 0;
  return statted && ::stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

// What more there is to say about a failure, under its message, a line each.
void ShowDetails(std::string_view details) {
  while (!details.empty()) {
    const std::size_t end = std::min(details.find('\n'), details.size());
    std::fprintf(stderr, "  %s\n", Shown(details.substr(0, end)).c_str());
    details.remove_prefix(std::min(end + 1, details.size()));
  }
}

// Opens and checks a document file; null with a message on standard error,
// and under it the details when asked for.
std::unique_ptr<virlo::store::Database> OpenDocument(const std::string& path, virlo::Sheet*& sheet, bool details) {
  std::string error;
  std::string more;
  std::unique_ptr<virlo::store::Database> db = virlo::store::DocumentFile::Open(path, error, &more);
  virlo::DocumentCheck::Verdict verdict = virlo::DocumentCheck::Verdict::Refused;
  if (db != nullptr) verdict = virlo::DocumentCheck::Check(*db, sheet, error);
  // A document with nothing in it shows the sheet the editor would give it.
  if (verdict == virlo::DocumentCheck::Verdict::Sheetless) sheet = virlo::Document::AttachNewSheet(*db);
  if (db == nullptr || sheet == nullptr) {
    std::fprintf(stderr, "virlo-cli: cannot open %s: %s\n", Quoted(path).c_str(), Shown(error).c_str());
    if (details) ShowDetails(more);
    return nullptr;
  }
  return db;
}

int Run(const std::vector<std::string_view>& args) {
  std::string scriptPath;
  std::string openPath;
  std::string editPath;
  bool dryRun = false;
  bool details = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (IsHelp(args[i])) return Help();
    if (args[i] == "--details") {
      details = true;
    } else if (args[i] == "--open" && i + 1 < args.size()) {
      openPath = args[++i];
    } else if (args[i] == "--edit" && i + 1 < args.size()) {
      editPath = args[++i];
    } else if (args[i] == "--dry-run") {
      dryRun = true;
    } else if (scriptPath.empty() && !args[i].starts_with("--")) {
      scriptPath = args[i];
    } else {
      std::fputs("virlo-cli: usage: virlo-cli run SCRIPT [--open FILE.vrl [--details]]\n", stderr);
      return ExitUsage;
    }
  }
  if (scriptPath.empty() || (!editPath.empty() && !openPath.empty()) || (dryRun && editPath.empty())) {
    std::fputs("virlo-cli: usage: virlo-cli run SCRIPT [--open FILE.vrl [--details]]\n", stderr);
    std::fputs("                  virlo-cli run SCRIPT --edit FILE:LINE [--dry-run]\n", stderr);
    return ExitUsage;
  }
  std::error_code ec;
  const std::filesystem::file_status status = std::filesystem::status(scriptPath, ec);
  if (!ec && !std::filesystem::is_regular_file(status)) {
    std::fprintf(stderr, "virlo-cli: script %s is not a regular file\n", Quoted(scriptPath).c_str());
    return ExitUsage;
  }
  if (!ec && std::filesystem::file_size(scriptPath, ec) > MaxScriptBytes) {
    std::fprintf(stderr, "virlo-cli: script %s is longer than %ju bytes\n", Quoted(scriptPath).c_str(), MaxScriptBytes);
    return ExitUsage;
  }
  std::ifstream file(scriptPath, std::ios::binary);
  if (!file) {
    std::fprintf(stderr, "virlo-cli: cannot read script %s\n", Quoted(scriptPath).c_str());
    return ExitUsage;
  }
  std::ostringstream source;
  source << file.rdbuf();

  std::vector<virlo::script::ScriptCommand> commands;
  std::string error;
  if (!virlo::script::Script::Parse(source.str(), commands, error)) {
    std::fprintf(stderr, "virlo-cli: %s: %s\n", scriptPath.c_str(), error.c_str());
    return ExitUsage;
  }
  if (!editPath.empty()) return virlo::cli::BlockCommands::RunEdit(commands, editPath, dryRun);
  virlo::StartStore();
  virlo::script::ScriptRunner runner(stdout, stderr);
  if (!runner.Start(openPath)) {
    if (details) ShowDetails(runner.GetDocument().LastErrorDetails());
    return ExitFailure;
  }
  return runner.Run(commands) ? 0 : ExitFailure;
}

constexpr const char* RenderUsage =
    "virlo-cli: usage: virlo-cli render FILE.vrl [--output OUT] [--encoding utf-8|cp932] [--trim] [--crop]\n"
    "                  [--style ascii|unicode] [--comment PREFIX] [--format text|svg] [--frame] [--details]\n";

// Wrong usage of a command: the reason when there is one, then the command's usage.
int UsageError(const char* usage, const char* why) {
  if (why != nullptr) std::fprintf(stderr, "virlo-cli: %s\n", why);
  std::fputs(usage, stderr);
  return ExitUsage;
}

// "-" and /dev/stdout mean standard output, whatever it is connected to, as
// no --output does.
bool IsStdout(const std::string& output) { return output.empty() || output == "-" || output == "/dev/stdout"; }

// Writes a whole output to standard output or, replacing it whole, to the file.
int WriteOutput(const std::string& output, const std::string& bytes) {
  if (IsStdout(output)) return WriteStdout(bytes) ? 0 : ExitFailure;
  std::string error;
  if (virlo::AtomicFile::Write(output, bytes, error) != virlo::AtomicFile::Result::Written) {
    std::fprintf(stderr, "virlo-cli: cannot write %s: %s\n", Quoted(output).c_str(), Shown(error).c_str());
    return ExitFailure;
  }
  return 0;
}

// The document is never written over with its own art; true, with a
// message, when the output is the document.
bool IsOwnInput(const std::string& path, const std::string& output) {
  if (!SameFile(IsStdout(output) ? "-" : output, STDOUT_FILENO, path)) return false;
  std::fprintf(stderr, "virlo-cli: cannot write %s: it is the document being read\n",
               IsStdout(output) ? "standard output" : Quoted(output).c_str());
  return true;
}

int RenderSvg(const std::string& path, const std::string& output, virlo::SvgExport::Area area,
              virlo::SvgExport::Frame frame, bool details) {
  if (IsOwnInput(path, output)) return ExitFailure;
  virlo::StartStore();
  virlo::Sheet* sheet = nullptr;
  std::unique_ptr<virlo::store::Database> db = OpenDocument(path, sheet, details);
  if (db == nullptr) return ExitFailure;
  // As the editor shows the document when it opens it: nothing picked.
  sheet->ClearSelection();
  // Written as it is painted, never whole in memory.
  if (IsStdout(output)) {
    const bool written = virlo::SvgExport::Write(*sheet, area, frame, [](std::string_view piece) {
      return virlo::script::ScriptRunner::WriteAll(stdout, std::string(piece));
    });
    if (written) return 0;
    std::fprintf(stderr, "virlo-cli: cannot write to standard output: %s\n", std::strerror(errno));
    return ExitFailure;
  }
  std::string error;
  virlo::SafeWrite file;
  const bool written =
      file.Begin(output, virlo::SafeWrite::Kind::Text, error) &&
      virlo::SvgExport::Write(*sheet, area, frame,
                              [&file, &error](std::string_view piece) { return file.Write(piece, error); }) &&
      file.Commit(error);
  if (written) return 0;
  std::fprintf(stderr, "virlo-cli: cannot write %s: %s\n", Quoted(output).c_str(), Shown(error).c_str());
  return ExitFailure;
}

int Render(const std::vector<std::string_view>& args) {
  std::string path;
  std::string output;
  bool outputGiven = false;
  std::string encoding = "utf-8";
  std::string style = "ascii";
  std::string prefix;
  std::string format = "text";
  bool framed = false;
  bool details = false;
  // The options that shape text, as given, for refusing them with SVG.
  std::vector<std::string_view> textOptions;
  virlo::ArtOptions options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const bool hasValue = i + 1 < args.size();
    if (IsHelp(args[i])) return Help();
    if (args[i] == "--output" && hasValue) {
      output = args[++i];
      outputGiven = true;
    } else if (args[i] == "--encoding" && hasValue) {
      encoding = args[++i];
    } else if (args[i] == "--style" && hasValue) {
      textOptions.push_back(args[i]);
      style = args[++i];
    } else if (args[i] == "--comment" && hasValue) {
      textOptions.push_back(args[i]);
      prefix = args[++i];
    } else if (args[i] == "--trim") {
      textOptions.push_back(args[i]);
      options.trim = true;
    } else if (args[i] == "--crop") {
      options.crop = true;
    } else if (args[i] == "--format" && hasValue) {
      format = args[++i];
    } else if (args[i] == "--frame") {
      framed = true;
    } else if (args[i] == "--details") {
      details = true;
    } else if (path.empty() && !args[i].starts_with("--")) {
      path = args[i];
    } else {
      return UsageError(RenderUsage, nullptr);
    }
  }
  if (path.empty()) return UsageError(RenderUsage, nullptr);
  if (outputGiven && output.empty()) return UsageError(RenderUsage, "the output has no name (- is standard output)");
  if (encoding != "utf-8" && encoding != "cp932") return UsageError(RenderUsage, "the encoding is utf-8 or cp932");
  if (style != "ascii" && style != "unicode") return UsageError(RenderUsage, "the style is ascii or unicode");
  if (format != "text" && format != "svg") return UsageError(RenderUsage, "the format is text or svg");
  if (framed && format != "svg") return UsageError(RenderUsage, "--frame applies to --format svg only");
  if (format == "svg") {
    // A picture has no lines of text to trim, draw or prefix, and XML here is UTF-8.
    if (!textOptions.empty()) {
      const std::string why = std::string(textOptions.front()) + " does not apply to --format svg";
      return UsageError(RenderUsage, why.c_str());
    }
    if (encoding != "utf-8") return UsageError(RenderUsage, "--format svg is UTF-8 only");
    if (framed && options.crop)
      return UsageError(RenderUsage, "--frame shows the whole sheet: it does not go with --crop");
    return RenderSvg(path, output, options.crop ? virlo::SvgExport::Area::Drawing : virlo::SvgExport::Area::Sheet,
                     framed ? virlo::SvgExport::Frame::Shown : virlo::SvgExport::Frame::Hidden, details);
  }
  options.utf8 = encoding == "utf-8";
  options.style = style == "unicode" ? virlo::ArtOptions::Style::Unicode : virlo::ArtOptions::Style::Ascii;
  // Box-drawing characters are two columns wide in code page 932.
  if (options.style == virlo::ArtOptions::Style::Unicode && !options.utf8) {
    return UsageError(RenderUsage, "--style unicode needs --encoding utf-8");
  }
  if (prefix.find_first_of("\r\n") != std::string::npos)
    return UsageError(RenderUsage, "the comment prefix is one line");
  if (options.utf8) {
    options.prefix = prefix;
  } else if (std::optional<std::string> bytes = virlo::TextCodec::Utf8ToCp932(prefix)) {
    options.prefix = *bytes;
  } else {
    return UsageError(RenderUsage, "code page 932 cannot hold the comment prefix");
  }
  if (IsOwnInput(path, output)) return ExitFailure;
  virlo::StartStore();
  virlo::Sheet* sheet = nullptr;
  std::unique_ptr<virlo::store::Database> db = OpenDocument(path, sheet, details);
  if (db == nullptr) return ExitFailure;
  std::int32_t substitutes = 0;
  const std::string art = virlo::ArtExport::Render(*sheet, options, &substitutes);
  if (substitutes > 0) {
    std::fprintf(stderr, "virlo-cli: %d characters that code page 932 cannot hold were written as their substitutes\n",
                 substitutes);
  }
  if (IsStdout(output)) return WriteOutput(output, art);
  // A text file ends every line with CR LF, as the text print does.
  std::string text;
  text.reserve(art.size() + art.size() / 64);
  for (char ch : art) {
    if (ch == '\n') text += '\r';
    text += ch;
  }
  return WriteOutput(output, text);
}

int Dump(const std::vector<std::string_view>& args) {
  constexpr const char* DumpUsage = "virlo-cli: usage: virlo-cli dump FILE.vrl [--details]\n";
  std::string path;
  bool details = false;
  for (const std::string_view arg : args) {
    if (IsHelp(arg)) return Help();
    if (arg == "--details") {
      details = true;
    } else if (path.empty() && !arg.starts_with("--")) {
      path = arg;
    } else {
      return UsageError(DumpUsage, nullptr);
    }
  }
  if (path.empty()) return UsageError(DumpUsage, nullptr);
  virlo::StartStore();
  virlo::Sheet* sheet = nullptr;
  std::unique_ptr<virlo::store::Database> db = OpenDocument(path, sheet, details);
  if (db == nullptr) return ExitFailure;
  std::string json;
  std::string error;
  if (!virlo::DocumentDump::Write(*db, json, error)) {
    std::fprintf(stderr, "virlo-cli: cannot dump %s: %s\n", Quoted(path).c_str(), Shown(error).c_str());
    return ExitFailure;
  }
  return WriteStdout(json) ? 0 : ExitFailure;
}

constexpr const char* ImportUsage =
    "virlo-cli: usage: virlo-cli import ART --output FILE.vrl [--encoding utf-8|cp932] [--comment PREFIX]\n"
    "                  [--tab N] [--quiet]\n";

// What an import made, and the line art it left as text, on standard error.
void PrintImportReport(const virlo::ArtImporter::Report& report) {
  std::fprintf(stderr,
               "virlo-cli: imported %d boxes, %d framed text boxes, %d lines (%d joined, %d resting, %d docked ends), "
               "%d arrowheads, %d dots, %d labels, %d text boxes\n",
               report.boxes, report.framedTexts, report.lines, report.joins * 2, report.rests, report.docks,
               report.arrowheads, report.dots, report.labels, report.texts);
  for (const virlo::ArtPlan::Piece& piece : report.leftAsText) {
    std::fprintf(stderr, "virlo-cli: line art left as text at row %d, column %d: %s (%s)\n", piece.First().row + 1,
                 piece.First().column + 1, piece.text.c_str(), virlo::LeftoverFinder::Reason(piece.why));
  }
}

int Import(const std::vector<std::string_view>& args) {
  std::string art;
  std::string output;
  bool outputGiven = false;
  virlo::ArtInput::Request request;
  bool quiet = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const bool hasValue = i + 1 < args.size();
    if (IsHelp(args[i])) return Help();
    if (args[i] == "--quiet") {
      quiet = true;
    } else if (args[i] == "--output" && hasValue) {
      output = args[++i];
      outputGiven = true;
    } else if (args[i] == "--encoding" && hasValue) {
      const std::string_view encoding = args[++i];
      if (encoding != "utf-8" && encoding != "cp932") return UsageError(ImportUsage, "the encoding is utf-8 or cp932");
      request.encoding = encoding == "utf-8" ? virlo::ArtGrid::Encoding::Utf8 : virlo::ArtGrid::Encoding::Cp932;
    } else if (args[i] == "--comment" && hasValue) {
      request.commentPrefix = std::string(args[++i]);
    } else if (args[i] == "--tab" && hasValue) {
      const std::string_view tab = args[++i];
      std::int32_t size = 0;
      const auto [end, ec] = std::from_chars(tab.data(), tab.data() + tab.size(), size);
      if (ec != std::errc() || end != tab.data() + tab.size() || size < 1 || size > 32) {
        return UsageError(ImportUsage, "the tab size is a number from 1 to 32");
      }
      request.tabSize = size;
    } else if (art.empty() && (args[i] == "-" || !args[i].starts_with("--"))) {
      art = args[i];
    } else {
      return UsageError(ImportUsage, nullptr);
    }
  }
  if (outputGiven && output.empty()) return UsageError(ImportUsage, "the output has no name");
  if (art.empty() || output.empty()) return UsageError(ImportUsage, nullptr);
  // The art is never written over with a document.
  if (SameFile(art, STDIN_FILENO, output)) {
    std::fprintf(stderr, "virlo-cli: cannot save %s: it is the art being read\n", Quoted(output).c_str());
    return ExitFailure;
  }
  if (request.commentPrefix && request.commentPrefix->find_first_of("\r\n") != std::string::npos) {
    return UsageError(ImportUsage, "the comment prefix is one line");
  }
  std::string text;
  std::string error;
  if (!virlo::ArtInput::ReadFile(art, text, error, request.commentPrefix ? &*request.commentPrefix : nullptr)) {
    std::fprintf(stderr, "virlo-cli: cannot read %s: %s\n", Quoted(art).c_str(), Shown(error).c_str());
    return ExitFailure;
  }
  virlo::ArtInput::Art read;
  if (!virlo::ArtInput::Read(text, request, read, error)) {
    std::fprintf(stderr, "virlo-cli: cannot import %s: %s\n", Quoted(art).c_str(), Shown(error).c_str());
    return ExitFailure;
  }
  if (!read.opening.empty()) {
    // Art copied with its comment's own first and last lines: they are no
    // part of the art, and said.
    std::fprintf(stderr,
                 "virlo-cli: the comment's opening line \"%s\" and closing line \"%s\" are no part of the art, left "
                 "out; put them back round what render prints\n",
                 Shown(read.opening).c_str(), Shown(read.closing).c_str());
  }
  if (read.commentFound) {
    // Art copied out of a comment block: its prefix is left out, and said.
    std::fprintf(stderr,
                 "virlo-cli: every line starts with the comment prefix \"%s\", left out; render --comment \"%s\" "
                 "puts it back\n",
                 Shown(read.prefix).c_str(), Shown(read.prefix).c_str());
  }
  if (read.prefixUnused) {
    std::fprintf(stderr, "virlo-cli: warning: no line starts with the comment prefix \"%s\"\n",
                 Shown(read.prefix).c_str());
  }
  virlo::StartStore();
  virlo::Document document;
  virlo::ArtImporter::Report report;
  if (!document.OnNewDocument() || !virlo::ArtInput::Build(read, *document.sheet, 0, 0, report, error)) {
    std::fprintf(stderr, "virlo-cli: cannot import %s: %s\n", Quoted(art).c_str(), Shown(error).c_str());
    return ExitFailure;
  }
  if (!quiet) PrintImportReport(report);
  if (report.unknownSubstitutes > 0) {
    std::fprintf(stderr, "virlo-cli: %d characters a document cannot hold became '?'\n", report.unknownSubstitutes);
  }
  if (report.lookalikeSubstitutes > 0) {
    std::fprintf(stderr, "virlo-cli: %d characters a document cannot hold became others like them\n",
                 report.lookalikeSubstitutes);
  }
  if (report.expandedTabs > 0) {
    std::fprintf(stderr,
                 "virlo-cli: %d tabs inside the art became blanks: a row printed as it was read gets its tabs back\n",
                 report.expandedTabs);
  }
  if (!document.OnSaveDocument(output)) {
    std::fprintf(stderr, "virlo-cli: cannot save %s: %s\n", Quoted(output).c_str(),
                 Shown(document.LastError()).c_str());
    return ExitFailure;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  // Messages of the core (dialog refusals, failed prints) speak the desktop's language.
  virlo::UiText::SetLanguage(virlo::UiLanguageOfEnvironment());
  // A reader that goes away is a failed write, told and ended with status 1.
  std::signal(SIGPIPE, SIG_IGN);
  if (argc < 2) return Help();
  const std::string_view command = argv[1];
  const std::vector<std::string_view> args(argv + 2, argv + argc);
  if (command == "help" && args.size() == 2 && args[0] == "commands") {
    if (args[1] == "--markdown")
      return WriteStdout(virlo::CommandDocs::Tables(virlo::CommandDocs::Format::Markdown)) ? 0 : ExitFailure;
    if (args[1] == "--man")
      return WriteStdout(virlo::CommandDocs::Tables(virlo::CommandDocs::Format::Man)) ? 0 : ExitFailure;
  }
  if (command == "help" && args.size() == 1 && args[0] == "commands") {
    return WriteStdout(virlo::CommandDocs::Tables(virlo::CommandDocs::Format::Markdown)) ? 0 : ExitFailure;
  }
  if (command == "--help" || command == "-h" || command == "help") return Help();
  if (command == "--version") return WriteStdout(std::string("virlo-cli ") + VIRLO_VERSION + "\n") ? 0 : ExitFailure;
  // The commands on a diagram in a block of a text file.
  using virlo::cli::BlockCommands;
  if (command == "blocks" || (command == "render" && BlockCommands::RendersInto(args)) ||
      (command == "import" && BlockCommands::NamesBlock(args))) {
    if (std::any_of(args.begin(), args.end(), IsHelp)) return Help();
    if (command == "blocks") return BlockCommands::Blocks(args);
    return command == "render" ? BlockCommands::RenderInto(args) : BlockCommands::Import(args);
  }
  if (command == "run") return Run(args);
  if (command == "render") return Render(args);
  if (command == "dump") return Dump(args);
  if (command == "import") return Import(args);
  std::fprintf(stderr, "virlo-cli: unknown command %s\n", Quoted(argv[1]).c_str());
  std::fputs(Usage().c_str(), stderr);
  return ExitUsage;
}
