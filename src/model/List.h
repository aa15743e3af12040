#pragma once

#include <type_traits>

#include "model/ListCursor.h"
#include "model/ListG.h"

namespace virlo {

// The typed form of ListG: the same layout and operations, with items of the
// pointer type T. Each instantiation the documents store is registered under
// its own name.
template <class T>
class List : public ListG {
  static_assert(std::is_pointer_v<T>, "List holds pointers");

 public:
  List() : ListG(0) {}
  explicit List(store::Blank) : ListG(store::blank) {}

  static const store::TypeDescription& Type();

  void PushFront(T item) { ListG::PushFront(ToVoid(item)); }
  bool PushBack(T item) { return ListG::PushBack(ToVoid(item)); }
  T PopFront() { return static_cast<T>(ListG::PopFront()); }
  bool Remove(T item) { return ListG::Remove(ToVoid(item)); }
  bool Contains(T item) const { return ListG::Contains(ToVoid(item)); }
  T Front() const { return static_cast<T>(ListG::Front()); }

  // A typed cursor over the list.
  class Cursor : public ListCursor {
   public:
    explicit Cursor(List<T>& list, bool registered = false) : ListCursor(list, registered) {}
    // A walk that leaves the list unchanged may start from a const list.
    explicit Cursor(const List<T>& list) : ListCursor(const_cast<List<T>&>(list), false) {}
    T First() { return static_cast<T>(ListCursor::First()); }
    T Last() { return static_cast<T>(ListCursor::Last()); }
    T Next(std::int32_t n = 1) { return static_cast<T>(ListCursor::Next(n)); }
    T Prev(std::int32_t n = 1) { return static_cast<T>(ListCursor::Prev(n)); }
    T Get() const { return static_cast<T>(ListCursor::Get()); }
  };

 private:
  static void* ToVoid(T item) { return const_cast<void*>(static_cast<const void*>(item)); }
};

}  // namespace virlo
