#include "objects/KeptRows.h"

#include <algorithm>
#include <charconv>

#include "platform/TextCodec.h"
#include "platform/Utf8.h"

namespace virlo {
namespace {

constexpr const char* Damaged = "the rows its art was read from are damaged";

std::string_view TrimEnd(std::string_view text) {
  const std::size_t end = text.find_last_not_of(' ');
  return end == std::string_view::npos ? std::string_view() : text.substr(0, end + 1);
}

// The next line of stored, without its line feed; false at the end or when
// the last line has none.
bool NextLine(std::string_view& stored, std::string_view& line) {
  const std::size_t end = stored.find('\n');
  if (end == std::string_view::npos) return false;
  line = stored.substr(0, end);
  stored.remove_prefix(end + 1);
  return true;
}

// Numbers parted by single blanks.
bool ReadNumbers(std::string_view line, std::vector<std::int32_t>& numbers) {
  while (true) {
    std::int32_t n = 0;
    const auto [end, ec] = std::from_chars(line.data(), line.data() + line.size(), n);
    if (ec != std::errc() || n < 0) return false;
    numbers.push_back(n);
    line.remove_prefix(static_cast<std::size_t>(end - line.data()));
    if (line.empty()) return true;
    if (line.front() != ' ' || line.size() == 1) return false;
    line.remove_prefix(1);
  }
}

// No control character but tabs.
bool Printable(std::string_view text) {
  std::string withoutTabs(text);
  std::erase(withoutTabs, '\t');
  return Utf8::IsValid(text) && !Utf8::FirstControl(withoutTabs) && text.find('\n') == std::string_view::npos;
}

}  // namespace

bool KeptRows::Fits(const Row& row) {
  if (!Printable(row.bytes) || row.shown.find('\t') != std::string::npos || !Printable(row.shown)) return false;
  std::string expanded;
  std::size_t tab = 0;
  for (char ch : row.bytes) {
    if (ch != '\t') {
      expanded += ch;
      continue;
    }
    if (tab == row.tabs.size() || row.tabs[tab] < 1 || row.tabs[tab] > MaxTab) return false;
    expanded.append(static_cast<std::size_t>(row.tabs[tab]), ' ');
    ++tab;
  }
  return tab == row.tabs.size() && TrimEnd(expanded) == row.shown;
}

std::string KeptRows::Stored() const {
  if (rows_.empty()) return {};
  std::string stored = prefix_ + '\n';
  for (const Row& row : rows_) {
    stored += std::to_string(row.row);
    for (std::int32_t blanks : row.tabs) stored += ' ' + std::to_string(blanks);
    stored += '\n';
    stored += row.shown;
    stored += '\n';
    stored += row.bytes;
    stored += '\n';
  }
  return stored;
}

std::optional<KeptRows> KeptRows::Read(std::string_view stored, std::string& error) {
  if (stored.empty()) return KeptRows();
  if (stored.size() > MaxStored) {
    error = "the rows its art was read from take " + std::to_string(stored.size()) + " bytes, more than the " +
            std::to_string(MaxStored) + " any art's can";
    return std::nullopt;
  }
  std::string_view prefix;
  if (!NextLine(stored, prefix) || !Printable(prefix)) {
    error = Damaged;
    return std::nullopt;
  }
  std::vector<Row> rows;
  std::string_view numbers;
  while (NextLine(stored, numbers)) {
    std::vector<std::int32_t> read;
    std::string_view shown;
    std::string_view bytes;
    if (!ReadNumbers(numbers, read) || (!rows.empty() && read.front() <= rows.back().row) || !NextLine(stored, shown) ||
        !NextLine(stored, bytes)) {
      error = Damaged;
      return std::nullopt;
    }
    Row row{read.front(), std::string(shown), std::string(bytes),
            std::vector<std::int32_t>(read.begin() + 1, read.end())};
    if (!Fits(row)) {
      error = "a row its art was read from is not the row it shows";
      return std::nullopt;
    }
    rows.push_back(std::move(row));
  }
  if (!stored.empty() || rows.empty()) {
    error = Damaged;
    return std::nullopt;
  }
  return KeptRows(std::string(prefix), std::move(rows));
}

KeptRows KeptRows::ReadChecked(std::string_view stored) {
  std::string error;
  return Read(stored, error).value_or(KeptRows());
}

std::string KeptRows::Line(std::int32_t row, std::string_view printed, std::string_view prefix,
                           Encoding encoding) const {
  const auto found =
      std::lower_bound(rows_.begin(), rows_.end(), row, [](const Row& kept, std::int32_t r) { return kept.row < r; });
  if (found == rows_.end() || found->row != row) return std::string(printed);
  if (encoding == Encoding::Utf8) {
    if (prefix != prefix_ || TrimEnd(printed) != found->shown) return std::string(printed);
    return found->bytes;
  }
  const std::optional<std::string> ownPrefix = TextCodec::Utf8ToCp932(prefix_);
  const std::optional<std::string> shown = TextCodec::Utf8ToCp932(found->shown);
  const std::optional<std::string> bytes = TextCodec::Utf8ToCp932(found->bytes);
  if (!ownPrefix || !shown || !bytes || prefix != *ownPrefix || TrimEnd(printed) != *shown) {
    return std::string(printed);
  }
  return *bytes;
}

}  // namespace virlo
