// libFuzzer target: any bytes, read as a document file, are refused with a
// reason or accepted, without a crash, a leak or undefined behaviour. A
// document that passes the check is also rendered, dumped, saved and opened
// again, and must come back the same; it is also exported in the Unicode style.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "document/DocumentCheck.h"
#include "document/DocumentDump.h"
#include "export/ArtExport.h"
#include "objects/PersistentTypes.h"
#include "objects/Sheet.h"
#include "store/Database.h"
#include "store/DocumentFile.h"

namespace {

// One private folder per process, removed at exit.
const std::string& FilePath() {
  static const std::string path = [] {
    std::string folder = (std::filesystem::temp_directory_path() / "virlo-fuzz-open-XXXXXX").string();
    if (::mkdtemp(folder.data()) == nullptr) std::abort();
    static std::string remove = folder;
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(remove, ec);
    });
    return folder + "/input.vrl";
  }();
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  virlo::RegisterPersistentTypes();
  FilePath();
  return 0;
}

// Keeps the rendering from being optimised away.
volatile std::size_t rendered_bytes = 0;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string& path = FilePath();
  {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) std::abort();
    if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
    if (std::fclose(file) != 0) std::abort();
  }
  std::string error;
  std::unique_ptr<virlo::store::Database> db = virlo::store::DocumentFile::Open(path, error);
  if (db == nullptr) {
    if (error.empty()) std::abort();  // a refusal always gives its reason
    return 0;
  }
  virlo::Sheet* sheet = virlo::DocumentCheck::Run(*db, error);
  if (sheet == nullptr) {
    if (error.empty()) std::abort();
    return 0;
  }
  // Checked: the program may now work on it (a sheet less than a cell high
  // renders no rows at all), and it saves and reopens unchanged.
  rendered_bytes = sheet->MakeText().size();
  // The export forms read the same canvas with a line layer beside it.
  virlo::ArtOptions options;
  options.style = virlo::ArtOptions::Style::Unicode;
  options.trim = true;
  options.prefix = "# ";
  rendered_bytes = rendered_bytes + virlo::ArtExport::Render(*sheet, options).size();
  std::string json, again;
  if (!virlo::DocumentDump::Write(*db, json, error)) std::abort();
  if (!virlo::store::DocumentFile::Save(*db, path, error)) std::abort();
  db = virlo::store::DocumentFile::Open(path, error);
  if (db == nullptr || virlo::DocumentCheck::Run(*db, error) == nullptr) std::abort();
  if (!virlo::DocumentDump::Write(*db, again, error) || again != json) std::abort();
  return 0;
}
