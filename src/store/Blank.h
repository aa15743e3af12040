#pragma once

namespace virlo::store {

// Tag for the constructors that build an object with every field zero or empty
// and no side effects. The store uses them before it fills an object's fields
// from an undo record or a file.
struct Blank {
  explicit Blank() = default;
};
inline constexpr Blank blank{};

}  // namespace virlo::store
