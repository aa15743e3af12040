#include "model/ListCursor.h"

namespace virlo {

ListCursor::ListCursor(ListG& list, bool registered) : list_(&list), currentNode_(list.head_) {
  if (!registered) return;
  registered_ = 1;
  ListCursor** link = &list.cursors_;
  while (*link != nullptr) link = &(*link)->nextCursor_;
  *link = this;
}

ListCursor::~ListCursor() {
  currentNode_ = nullptr;
  if (registered_ == 0 || list_ == nullptr) return;
  for (ListCursor** link = &list_->cursors_; *link != nullptr; link = &(*link)->nextCursor_) {
    if (*link == this) {
      *link = nextCursor_;
      break;
    }
  }
}

void* ListCursor::First() {
  currentNode_ = list_ != nullptr ? list_->head_ : nullptr;
  return Get();
}

void* ListCursor::Last() {
  currentNode_ = list_ != nullptr ? list_->tail_ : nullptr;
  return Get();
}

void* ListCursor::Next(std::int32_t n) {
  for (; n > 0 && currentNode_ != nullptr; --n) currentNode_ = currentNode_->next_;
  return Get();
}

void* ListCursor::Prev(std::int32_t n) {
  for (; n > 0 && currentNode_ != nullptr; --n) currentNode_ = currentNode_->prev_;
  return Get();
}

}  // namespace virlo
