#include "control/ArtInput.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "document/CPlenkoDoc.h"
#include "import/ArtGrid.h"
#include "import/ArtImporter.h"

namespace virlo {

bool ArtInput::ReadFile(const std::string& path, std::string& bytes, std::string& error) {
  bytes.clear();
  const bool standardInput = path == "-";
  if (!standardInput) {
    // A directory opens for reading on Linux; a device or pipe never ends.
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
      error = std::filesystem::exists(path, ec) ? "it is not a regular file" : std::strerror(ENOENT);
      return false;
    }
  }
  std::FILE* file = standardInput ? stdin : std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    error = std::strerror(errno);
    return false;
  }
  char buffer[1 << 16];
  std::size_t got = 0;
  while (bytes.size() <= MaxBytes && (got = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, got);
  const bool failed = std::ferror(file) != 0;
  const int readError = errno;
  if (!standardInput) std::fclose(file);
  if (failed) {
    error = std::strerror(readError);
    return false;
  }
  if (bytes.size() > MaxBytes) {
    error = "it is longer than " + std::to_string(MaxBytes) + " bytes";
    return false;
  }
  return true;
}

bool ArtInput::ReadAnyEncoding(std::string_view bytes, ArtGrid& grid, std::string& error,
                               const ArtGrid::Options& options) {
  ArtGrid::Options chosen = options;
  // What is not UTF-8 is read in the other encoding diagrams are written in.
  chosen.encoding = ArtGrid::IsUtf8(bytes) ? ArtGrid::Encoding::Utf8 : ArtGrid::Encoding::Cp932;
  return grid.Read(bytes, chosen, error);
}

bool ArtInput::IntoNewDocument(const ArtGrid& grid, CPlenkoDoc& document, std::string& error) {
  if (document.sheet == nullptr) {
    error = "the document has no sheet";
    return false;
  }
  ArtImporter::Report report;
  if (!ArtImporter::Import(grid, *document.sheet, report, error)) return false;
  document.UpdateModifiedFlag();
  return true;
}

}  // namespace virlo
