#pragma once

#include <string>
#include <string_view>

namespace virlo {

// Writes a whole file safely: into a new file beside the target, flushed to
// disk, then renamed over the target. A failure leaves an existing file as it
// was and no stray file behind.
class AtomicFile {
 public:
  enum class Result { Written, NotOpened, NotWritten };
  // NotOpened when no file could be made there; NotWritten when writing,
  // flushing or putting it in place failed. The reason goes to error.
  static Result Write(const std::string& path, std::string_view bytes, std::string& error);
};

}  // namespace virlo
