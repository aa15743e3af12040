#include "model/String.h"

#include <cstring>

#include "store/Store.h"

namespace virlo {

const store::TypeDescription& String::Type() {
  static const auto type = store::TypeDescription::Concrete<String>("String");
  return type;
}

void String::DescribeFields(store::FieldVisitor& visitor) {
  visitor.Ref("text", text_);
  visitor.Int32("length", length_);
}

String::String(const char* src, std::int32_t n) { Build(src, n); }

String::String(const String& other) { Build(other.text_ != nullptr ? other.text_ : "", other.length_); }

String::String(const char* a, const char* b) {
  const std::size_t la = a != nullptr ? std::strlen(a) : 0;
  const std::size_t lb = b != nullptr ? std::strlen(b) : 0;
  if (la + lb == 0) return;
  if (la + lb > INT32_MAX) return;
  text_ = store::AllocateChars(store::Database::Of(this), la + lb + 1);
  if (text_ == nullptr) return;
  if (la != 0) std::memcpy(text_, a, la);
  if (lb != 0) std::memcpy(text_ + la, b, lb);
  text_[la + lb] = '\0';
  length_ = static_cast<std::int32_t>(la + lb);
}

String& String::operator=(const String& other) {
  if (this != &other) Assign(other);
  return *this;
}

String::~String() { Clear(); }

void String::Build(const char* src, std::int32_t n) {
  if (src == nullptr) return;
  std::size_t length;
  if (n < 0) {
    length = std::strlen(src);
    if (length > INT32_MAX) return;
  } else {
    length = static_cast<std::size_t>(n);
  }
  if (length == 0) return;
  text_ = store::AllocateChars(store::Database::Of(this), length + 1);
  if (text_ == nullptr) return;  // no memory: the string stays without text
  if (n < 0) {
    std::memcpy(text_, src, length);
  } else {
    // Exactly n bytes, padded with NULs where src ends early.
    const std::size_t available = strnlen(src, length);
    std::memcpy(text_, src, available);
    std::memset(text_ + available, 0, length - available);
  }
  text_[length] = '\0';
  length_ = static_cast<std::int32_t>(length);
}

void String::Clear() {
  store::Free(text_);
  text_ = nullptr;
  length_ = 0;
}

void String::Assign(const char* src, std::int32_t n) {
  // src may point into our own text, so build first and release after.
  char* old = text_;
  text_ = nullptr;
  length_ = 0;
  Build(src, n);
  store::Free(old);
}

void String::Assign(const String& other) { Assign(other.text_ != nullptr ? other.text_ : "", other.length_); }

void String::Append(const char* s) {
  if (s == nullptr || *s == '\0') return;
  const std::size_t added = std::strlen(s);
  const std::size_t length = static_cast<std::size_t>(length_) + added;
  if (length > INT32_MAX) return;
  char* text = store::AllocateChars(store::Database::Of(this), length + 1);
  if (text == nullptr) return;
  if (text_ != nullptr) std::memcpy(text, text_, static_cast<std::size_t>(length_));
  std::memcpy(text + length_, s, added);
  text[length] = '\0';
  store::Free(text_);
  text_ = text;
  length_ = static_cast<std::int32_t>(length);
}

std::int32_t String::FindChar(char ch, std::int32_t from) const {
  if (from > length_) from = length_ - 1;
  if (text_ == nullptr || from < 0) return -1;
  for (std::int32_t i = from; i < length_; ++i) {
    if (text_[i] == ch) return i;
  }
  return -1;
}

String String::Left(std::int32_t n) const {
  if (static_cast<std::uint32_t>(length_) > static_cast<std::uint32_t>(n)) return String(text_, n);
  return String(*this);
}

String String::Right(std::int32_t n) const {
  if (static_cast<std::uint32_t>(length_) > static_cast<std::uint32_t>(n)) return String(text_ + (length_ - n), n);
  return String(*this);
}

String String::Mid(std::int32_t start, std::int32_t n) const {
  if (static_cast<std::uint32_t>(start) < static_cast<std::uint32_t>(length_)) {
    if (n >= 0 && n < length_ - start) return String(text_ + start, n);
    return Right(length_ - start);
  }
  return String();
}

String String::Concat(const String& a, const String& b) { return String(a.text_, b.text_); }

}  // namespace virlo
