#pragma once

#include <string>

namespace virlo {

// A new file beside a target, to be written completely and then put in the
// target's place. Until Commit succeeds the target is untouched; a TempFile
// that is not committed removes itself.
class TempFile {
 public:
  TempFile() = default;
  ~TempFile();
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  // Creates the file (empty, with the usual permissions); false with the reason.
  bool Create(const std::string& target, std::string& error);
  const std::string& Path() const { return path_; }
  // Flushes the file to disk and renames it over the target.
  bool Commit(std::string& error);

 private:
  std::string target_;
  std::string path_;
};

}  // namespace virlo
