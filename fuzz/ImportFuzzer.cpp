// libFuzzer target: any bytes, read as character art, are refused with a
// reason or imported; an import renders back to exactly the art read (in
// the Unicode style where the art has box drawing), and
// the document it makes passes the checks a document file must pass.
// A first byte below 8 picks the reading and is not art: bit 0 code page 932
// instead of UTF-8, bit 1 a "// " comment prefix, bit 2 tabs of 4 instead of
// 8. Any other input is art read as virlo-cli reads it by default, so the
// tests' art files are seeds as they stand.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "document/Document.h"
#include "document/DocumentCheck.h"
#include "export/ArtExport.h"
#include "import/ArtGrid.h"
#include "import/ArtImporter.h"
#include "model/Canvas.h"
#include "objects/PersistentTypes.h"
#include "objects/Sheet.h"
#include "store/Database.h"

namespace {

enum OptionBits : std::uint8_t { Cp932 = 1, CommentPrefix = 2, ShortTabs = 4, OptionsBelow = 8 };

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  virlo::StartStore();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  virlo::ArtGrid::Options options;
  if (size > 0 && data[0] < OptionsBelow) {
    if ((data[0] & Cp932) != 0) options.encoding = virlo::ArtGrid::Encoding::Cp932;
    if ((data[0] & CommentPrefix) != 0) options.commentPrefix = "// ";
    if ((data[0] & ShortTabs) != 0) options.tabSize = 4;
    text.remove_prefix(1);
  }

  virlo::ArtGrid grid;
  std::string error;
  if (!grid.Read(text, options, error)) {
    if (error.empty()) std::abort();  // a refusal always gives its reason
    return 0;
  }
  virlo::Document document;
  virlo::ArtImporter::Report report;
  if (!document.OnNewDocument()) std::abort();
  // Art that reads is always a document: at worst all of it is text.
  if (!virlo::ArtImporter::Import(grid, *document.sheet, report, error)) std::abort();

  if (grid.HasGlyphs() && grid.LookalikeSubstitutes() == 0) {
    // Box-drawing art comes back exactly in its own style, the Unicode one,
    // but for the characters the document holds only as others like them
    // ("—" as "―"), which the import reports.
    virlo::ArtOptions style;
    style.utf8 = true;
    style.style = virlo::ArtOptions::Style::Unicode;
    style.trim = true;
    std::string art;
    for (std::int32_t r = 0; r < grid.Rows(); ++r) art += grid.RowUtf8(r) + "\n";
    if (virlo::ArtExport::Render(*document.sheet, style) != art) std::abort();
  }
  virlo::Canvas canvas = document.sheet->NewCanvas();
  document.sheet->RenderText(canvas);
  if (canvas.Columns() < grid.Columns() || canvas.Rows() < grid.Rows()) std::abort();
  for (std::int32_t r = 0; r < canvas.Rows(); ++r) {
    std::string_view row = canvas.Row(r);
    row.remove_suffix(row.size() - (row.find_last_not_of(' ') + 1));
    const std::string read = r < grid.Rows() ? grid.Row(r) : std::string();
    // Code page 932 output gives ASCII art back exactly; box-drawing art
    // there is only as like as its substitutes allow.
    if (!grid.HasGlyphs() && row != read) std::abort();
  }
  virlo::Sheet* sheet = nullptr;
  const auto verdict = virlo::DocumentCheck::Check(*virlo::store::Database::Of(document.sheet), sheet, error);
  if (verdict != virlo::DocumentCheck::Verdict::Sound) std::abort();
  return 0;
}
