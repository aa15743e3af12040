#pragma once

#include <QString>
#include <cstddef>
#include <map>
#include <optional>

#include "hostfile/BlockSource.h"

namespace virlo {

class Document;

// The documents that stand for a diagram in the lines of a text file: where
// each came from, so that its Save writes the diagram back there, and what
// its title says.
class BlockDocuments {
 public:
  struct Origin {
    BlockSource source;
    // A new diagram not yet in the file: its first save puts a block in
    // before this line (counted from 0).
    std::optional<std::size_t> insertAt;
  };

  void Add(const Document* document, Origin origin);
  void Forget(const Document* document);
  // Null for a document of its own file.
  Origin* Find(const Document* document);
  const Origin* Find(const Document* document) const;
  // The open document of the block of that file which holds the line
  // (counted from 0); null when none.
  const Document* Holding(const QString& path, std::size_t line) const;

  // "README.md:5-9": the file's name and the block's lines, fences
  // included, counted from 1; "README.md:12" for a diagram yet to be put
  // in before line 12.
  static QString Title(const Origin& origin);
  // The file's name without its extension, for a document saved elsewhere.
  static QString Stem(const Origin& origin);

 private:
  std::map<const Document*, Origin> origins_;
};

}  // namespace virlo
