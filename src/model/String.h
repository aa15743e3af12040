#pragma once

#include <cstdint>
#include <string_view>

#include "store/Blank.h"
#include "store/FieldVisitor.h"

namespace virlo {

// A counted byte string whose characters live in the same database as the
// String itself: embedded in a persistent object it is persistent, on the
// stack it is transient. Results returned as new Strings are built where the
// caller puts them.
class String {
 public:
  String() = default;
  explicit String(store::Blank) {}
  // n < 0 takes the C string length of src; otherwise exactly n bytes, padded
  // with NULs when src is shorter. A null src gives the empty string.
  String(const char* src, std::int32_t n = -1);  // NOLINT(google-explicit-constructor)
  String(const String& other);
  // The concatenation of two C strings; null counts as empty.
  String(const char* a, const char* b);
  String& operator=(const String& other);
  ~String();

  static const store::TypeDescription& Type();
  void DescribeFields(store::FieldVisitor& visitor);

  void Clear();
  void Assign(const char* src, std::int32_t n = -1);
  void Assign(const String& other);
  void Append(const char* s);

  // Index of the first ch at or after from; -1 when there is none.
  std::int32_t FindChar(char ch, std::int32_t from) const;
  String Left(std::int32_t n) const;
  String Right(std::int32_t n) const;
  String Mid(std::int32_t start, std::int32_t n) const;
  static String Concat(const String& a, const String& b);

  // Null when the string is empty.
  const char* Text() const { return text_; }
  std::int32_t Length() const { return length_; }
  std::string_view View() const {
    return text_ != nullptr ? std::string_view(text_, static_cast<std::size_t>(length_)) : std::string_view();
  }

 private:
  void Build(const char* src, std::int32_t n);

  char* text_ = nullptr;
  std::int32_t length_ = 0;
};

}  // namespace virlo
