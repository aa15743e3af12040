#pragma once

#include <cstdint>
#include <vector>

#include "store/Blank.h"
#include "store/FieldVisitor.h"

namespace virlo {

class ListCursor;

// A doubly linked list of pointers whose nodes live in the same database as
// the list itself. It never owns its items, and accepts the same item twice.
class ListG {
 public:
  class Node {
   public:
    explicit Node(void* item) : item_(item) {}
    explicit Node(store::Blank) {}
    static const store::TypeDescription& Type();
    void DescribeFields(store::FieldVisitor& visitor);

    Node* Next() const { return next_; }
    Node* Prev() const { return prev_; }
    void* Item() const { return item_; }

   private:
    friend class ListG;
    friend class ListCursor;
    Node* next_ = nullptr;
    Node* prev_ = nullptr;
    void* item_ = nullptr;
  };

  // Told of every node a list takes in and lets go, by an index kept beside
  // it. Undo and loading write the described fields alone, so they tell it
  // nothing: the store tells the index of an undo instead.
  class Watcher {
   public:
    // After the node was linked in at the front or at the back.
    virtual void Added(Node* node, bool atFront) = 0;
    // Before the node is unlinked and freed.
    virtual void Removed(Node* node) = 0;

   protected:
    ~Watcher() = default;
  };

  explicit ListG(std::int32_t reserved = 0) : reserved_(reserved) {}
  explicit ListG(store::Blank) {}
  ~ListG();
  ListG(const ListG&) = delete;
  ListG& operator=(const ListG&) = delete;

  static const store::TypeDescription& Type();
  void DescribeFields(store::FieldVisitor& visitor);
  // The type of the items of every list, which the references of nodes read
  // from a file are checked against; set before any node is described.
  static void SetItemType(const store::TypeDescription& type);

  // Insertions are skipped when the store refuses memory for the node.
  void PushFront(void* item);
  // False when no node could be had for the item: it is not listed.
  bool PushBack(void* item);
  // Takes off the front node and returns its item; null on an empty list.
  void* PopFront();
  // Takes off the first node holding item; true if there was one.
  bool Remove(const void* item);
  bool Contains(const void* item) const;
  // Takes off, in one walk, every node whose item pick(item) chooses; returns
  // how many went.
  template <class Pick>
  std::int32_t RemoveWhere(Pick pick) {
    std::int32_t removed = 0;
    for (Node* node = head_; node != nullptr;) {
      Node* next = node->next_;
      if (pick(static_cast<const void*>(node->item_))) {
        Unlink(node);
        ++removed;
      }
      node = next;
    }
    return removed;
  }
  void* Front() const { return head_ != nullptr ? head_->item_ : nullptr; }
  Node* FirstNode() const { return head_; }
  // Takes off a node of this list.
  void Erase(Node* node) { Unlink(node); }
  // One watcher at most; null for none.
  void Watch(Watcher* watcher) { watcher_ = watcher; }
  std::int32_t Count() const { return count_; }
  bool Empty() const { return head_ == nullptr; }

  // Checks the links of a list read from a file: count nodes (at most
  // maxNodes) from head to tail, each linked back to the one before. The
  // nodes are added to seen, so a caller can find nodes shared by lists.
  bool IsWellFormed(std::int64_t maxNodes, std::vector<const void*>& seen) const;

 private:
  friend class ListCursor;

  Node* NewNode(void* item);
  void Unlink(Node* node);

  Node* head_ = nullptr;
  Node* tail_ = nullptr;
  std::int32_t count_ = 0;
  std::int32_t reserved_ = 0;
  ListCursor* cursors_ = nullptr;
  // Not described: never stored, and left as it is by undo.
  Watcher* watcher_ = nullptr;
};

}  // namespace virlo
