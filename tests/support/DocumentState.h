#pragma once

#include <gtest/gtest.h>

#include <string>

#include "document/Document.h"
#include "document/DocumentDump.h"
#include "objects/Sheet.h"
#include "store/Database.h"

namespace virlo::test {

// What a user sees of a document and what its file holds: equal states are
// the same document.
struct DocumentState {
  std::string art;
  std::string dump;

  static std::string Dump(const store::Database& db) {
    std::string json;
    std::string error;
    EXPECT_TRUE(DocumentDump::Write(db, json, error)) << error;
    return json;
  }
  static DocumentState Of(const Document& doc) { return {doc.sheet->MakeText(), Dump(*doc.GetDatabase())}; }

  friend bool operator==(const DocumentState&, const DocumentState&) = default;
};

}  // namespace virlo::test
