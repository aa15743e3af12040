#pragma once

#include <string>
#include <string_view>

#include "platform/SafeWrite.h"

namespace virlo {

// Writes a whole text file safely (SafeWrite): a failure leaves an existing
// file as it was and no stray file behind. A pipe, a device or an open
// descriptor takes the text directly.
class AtomicFile {
 public:
  enum class Result { Written, NotOpened, NotWritten };
  // NotOpened when the file may not or cannot be written there; NotWritten
  // when writing, flushing or putting it in place failed. The reason goes to error.
  static Result Write(const std::string& path, std::string_view bytes, std::string& error,
                      SafeWrite::Kind kind = SafeWrite::Kind::Text);
};

}  // namespace virlo
