#pragma once

#include <cstdint>

#include "model/ListG.h"

namespace virlo {

// Walks a ListG. A registered cursor stays valid while the list changes: when
// the node it stands on is removed it moves on to the following one. An
// unregistered cursor serves walks that do not change the list.
class ListCursor {
 public:
  explicit ListCursor(ListG& list, bool registered = false);
  ~ListCursor();
  ListCursor(const ListCursor&) = delete;
  ListCursor& operator=(const ListCursor&) = delete;

  void* First();
  void* Last();
  void* Next(std::int32_t n = 1);
  void* Prev(std::int32_t n = 1);
  void* Get() const { return currentNode_ != nullptr ? currentNode_->item_ : nullptr; }

  // The list walked, or null once that list is gone.
  ListG* GetList() const { return list_; }

 private:
  friend class ListG;

  ListG* list_;
  ListG::Node* currentNode_ = nullptr;
  ListCursor* nextCursor_ = nullptr;
  std::int32_t registered_ = 0;
};

}  // namespace virlo
