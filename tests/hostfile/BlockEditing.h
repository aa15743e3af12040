#pragma once

// A diagram block of a host file opened as a document, for tests that edit
// it and save it back.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <string>
#include <vector>

#include "document/Document.h"
#include "hostfile/BlockFinder.h"
#include "hostfile/BlockImport.h"
#include "hostfile/BlockSource.h"
#include "hostfile/HostFile.h"
#include "objects/Box.h"
#include "objects/PersistentTypes.h"
#include "objects/Sheet.h"
#include "store/Store.h"

namespace virlo::test {

struct BlockEditing {
  Document doc;
  BlockSource source;

  // Opens the block holding the line (counted from 1) on a new document.
  bool Open(const std::string& path, std::size_t line) {
    StartStore();
    HostFile file;
    std::string error;
    if (!doc.OnNewDocument() || !HostFile::Read(path, file, error)) {
      ADD_FAILURE() << "cannot read " << path << ": " << error;
      return false;
    }
    const std::vector<DiagramBlock> blocks = BlockFinder::Find(file);
    const DiagramBlock* block = BlockFinder::At(blocks, line - 1);
    if (block == nullptr) {
      ADD_FAILURE() << BlockFinder::NoBlockMessage(blocks, line - 1);
      return false;
    }
    ArtImporter::Report report;
    if (!BlockImport::Import(file, *block, *doc.sheet, source, report, error)) {
      ADD_FAILURE() << "cannot import: " << error;
      return false;
    }
    return true;
  }

  // A box from cell (c0, r0) to cell (c1, r1).
  Box* AddBox(std::int32_t c0, std::int32_t r0, std::int32_t c1, std::int32_t r1) {
    return store::New<Box>(doc.GetDatabase(), doc.sheet, 8 * c0 + 4, 16 * r0 + 8, 8 * c1 + 4, 16 * r1 + 8, nullptr);
  }
};

inline void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// The file's inode and modification time: equal when it was not written.
inline std::pair<ino_t, std::int64_t> Stamp(const std::string& path) {
  struct stat info {};
  ::stat(path.c_str(), &info);
  return {info.st_ino, static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec};
}

}  // namespace virlo::test
