// libFuzzer target: any bytes, read as a host file, are refused with a
// reason or read; its blocks lie in order inside the file, each is listed
// without harm, and each block that reads as a diagram, imported and saved
// back unchanged, gives the file byte for byte.
// A first byte below 8 picks the file's kind and is not text: 0 Markdown,
// 1 reStructuredText, 2 text, 3 C, 4 Python, 5 Lua, 6 batch, 7 unknown.
// Any other input is read as the kind its length picks, so the tests' host
// files are seeds as they stand, each in some kind.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "document/Document.h"
#include "hostfile/BlockCensus.h"
#include "hostfile/BlockFinder.h"
#include "hostfile/BlockImport.h"
#include "hostfile/BlockSplicer.h"
#include "hostfile/HostFile.h"
#include "objects/PersistentTypes.h"

namespace {

constexpr std::uint8_t KindsBelow = 8;
// Imports are the slow part: a few blocks an input are enough to cover them.
constexpr std::size_t MaxImports = 4;

std::string NameOf(std::uint8_t kind) {
  static const char* const names[] = {"a.md", "a.rst", "a.txt", "a.c", "a.py", "a.lua", "a.bat", "a.unknown"};
  return names[kind];
}

void CheckBlocks(const virlo::HostFile& file, const std::vector<virlo::DiagramBlock>& blocks) {
  std::size_t after = 0;
  for (const virlo::DiagramBlock& block : blocks) {
    // In order, apart, inside the file, the art inside the outer lines.
    if (block.outerFirst < after || block.outerLast >= file.LineCount()) std::abort();
    if (block.first < block.outerFirst || block.End() > block.outerLast + 1) std::abort();
    if (virlo::BlockFinder::At(blocks, block.outerFirst) != &block) std::abort();
    after = block.outerLast + 1;
    virlo::BlockCensus::Of(file, block);
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  virlo::StartStore();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  auto kind = static_cast<std::uint8_t>(size % KindsBelow);
  if (size > 0 && data[0] < KindsBelow) {
    kind = data[0];
    text.remove_prefix(1);
  }
  virlo::HostFile file;
  std::string error;
  if (!virlo::HostFile::FromBytes(NameOf(kind), std::string(text), file, error)) {
    if (error.empty()) std::abort();  // a refusal always gives its reason
    return 0;
  }
  const std::vector<virlo::DiagramBlock> blocks = virlo::BlockFinder::Find(file);
  CheckBlocks(file, blocks);
  std::size_t imported = 0;
  for (const virlo::DiagramBlock& block : blocks) {
    if (imported == MaxImports) break;
    virlo::ArtGrid grid;
    if (!virlo::BlockImport::ReadGrid(file, block, grid, error)) continue;
    ++imported;
    virlo::Document document;
    virlo::BlockSource source;
    virlo::ArtImporter::Report report;
    if (!document.OnNewDocument()) std::abort();
    // A block that reads is always a diagram: at worst all of it is text.
    if (!virlo::BlockImport::Import(file, block, *document.sheet, source, report, error)) std::abort();
    const std::vector<std::string> lines =
        virlo::BlockSplicer::Lines(source, virlo::BlockImport::Rows(*document.sheet, source));
    if (virlo::BlockSplicer::Splice(file, block.first, block.count, lines) != file.Bytes()) std::abort();
  }
  return 0;
}
