#include "model/ListG.h"

#include "model/ListCursor.h"
#include "store/Store.h"

namespace virlo {
namespace {

// What every list's items are, which the nodes read from a file must refer
// to; set by the layer whose objects the lists hold.
const store::TypeDescription* itemType = nullptr;

}  // namespace

const store::TypeDescription& ListG::Node::Type() {
  static const auto type = store::TypeDescription::Concrete<Node>("ListG::Node");
  return type;
}

void ListG::Node::DescribeFields(store::FieldVisitor& visitor) {
  visitor.Ref("next", next_);
  visitor.Ref("prev", prev_);
  visitor.Reference("item", item_, itemType);
}

void ListG::SetItemType(const store::TypeDescription& type) { itemType = &type; }

const store::TypeDescription& ListG::Type() {
  static const auto type = store::TypeDescription::Concrete<ListG>("ListG");
  return type;
}

void ListG::DescribeFields(store::FieldVisitor& visitor) {
  visitor.Ref("head", head_);
  visitor.Ref("tail", tail_);
  visitor.Int32("count", count_);
  visitor.Int32("reserved", reserved_);
  visitor.Transient("cursors", cursors_);
}

ListG::~ListG() {
  for (ListCursor* cursor = cursors_; cursor != nullptr;) {
    ListCursor* next = cursor->nextCursor_;
    cursor->list_ = nullptr;
    cursor->currentNode_ = nullptr;
    cursor->nextCursor_ = nullptr;
    cursor = next;
  }
  cursors_ = nullptr;
  while (head_ != nullptr) {
    Node* node = head_;
    head_ = node->next_;
    store::Free(node);
  }
  tail_ = nullptr;
  count_ = 0;
}

ListG::Node* ListG::NewNode(void* item) { return store::New<Node>(store::Database::Of(this), item); }

bool ListG::IsWellFormed(std::int64_t maxNodes, std::vector<const void*>& seen) const {
  if (count_ < 0 || count_ > maxNodes || (head_ == nullptr) != (tail_ == nullptr) ||
      (head_ == nullptr) != (count_ == 0))
    return false;
  const Node* previous = nullptr;
  const Node* node = head_;
  for (std::int32_t i = 0; i < count_; ++i) {
    if (node == nullptr || node->prev_ != previous) return false;
    seen.push_back(node);
    previous = node;
    node = node->next_;
  }
  return node == nullptr && previous == tail_;
}

void ListG::PushFront(void* item) {
  Node* node = NewNode(item);
  if (node == nullptr) return;
  node->next_ = head_;
  if (head_ != nullptr) head_->prev_ = node;
  head_ = node;
  if (tail_ == nullptr) tail_ = node;
  ++count_;
  if (watcher_ != nullptr) watcher_->Added(node, true);
}

bool ListG::PushBack(void* item) {
  Node* node = NewNode(item);
  if (node == nullptr) return false;
  node->prev_ = tail_;
  if (tail_ != nullptr) tail_->next_ = node;
  tail_ = node;
  if (head_ == nullptr) head_ = node;
  ++count_;
  if (watcher_ != nullptr) watcher_->Added(node, false);
  return true;
}

void ListG::Unlink(Node* node) {
  if (watcher_ != nullptr) watcher_->Removed(node);
  for (ListCursor* cursor = cursors_; cursor != nullptr; cursor = cursor->nextCursor_) {
    if (cursor->currentNode_ == node) cursor->currentNode_ = node->next_;
  }
  if (node == head_) {
    head_ = node->next_;
    if (head_ == nullptr) tail_ = nullptr;
  }
  if (node == tail_) {
    tail_ = node->prev_;
    if (tail_ == nullptr) head_ = nullptr;
  }
  if (node->prev_ != nullptr) node->prev_->next_ = node->next_;
  if (node->next_ != nullptr) node->next_->prev_ = node->prev_;
  node->next_ = nullptr;
  node->prev_ = nullptr;
  --count_;
  store::Free(node);
}

void* ListG::PopFront() {
  if (head_ == nullptr) return nullptr;
  void* item = head_->item_;
  Unlink(head_);
  return item;
}

bool ListG::Remove(const void* item) {
  for (Node* node = head_; node != nullptr; node = node->next_) {
    if (node->item_ == item) {
      Unlink(node);
      return true;
    }
  }
  return false;
}

bool ListG::Contains(const void* item) const {
  for (const Node* node = head_; node != nullptr; node = node->next_) {
    if (node->item_ == item) return true;
  }
  return false;
}

}  // namespace virlo
