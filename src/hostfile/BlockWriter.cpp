#include "hostfile/BlockWriter.h"

#include <algorithm>
#include <vector>

#include "hostfile/BlockFinder.h"
#include "hostfile/BlockImport.h"
#include "hostfile/BlockSplicer.h"
#include "platform/AtomicFile.h"

namespace virlo {

struct BlockWriter::Prepared {
  HostFile now;
  // The block as it stands in the file now, and its new lines.
  DiagramBlock block;
  std::vector<std::string> rows;
  std::vector<std::string> lines;
};

namespace {

BlockWriter::Result Failure(std::string error) {
  BlockWriter::Result result;
  result.error = std::move(error);
  return result;
}

// The block moved to start at outer line `outerFirst`.
DiagramBlock Shifted(const DiagramBlock& block, std::size_t outerFirst) {
  DiagramBlock moved = block;
  moved.outerFirst = outerFirst;
  moved.first = outerFirst + (block.first - block.outerFirst);
  moved.outerLast = outerFirst + (block.outerLast - block.outerFirst);
  return moved;
}

}  // namespace

BlockWriter::Result BlockWriter::Prepare(const BlockSource& source, const Sheet& sheet, Policy policy,
                                         Prepared& prepared) {
  std::string error;
  if (!HostFile::Read(source.path, prepared.now, error)) return Failure("cannot read '" + source.path + "': " + error);
  const BlockSource::Location location = source.Locate(prepared.now);
  Result result;
  // What the new lines are made from: the source, or for a block overwritten
  // the block found now, none of whose lines is known to show the art.
  BlockSource from = source;
  if (location.status != BlockSource::Location::Status::Changed) {
    prepared.block = Shifted(source.block, location.outerFirst);
    result.moved = location.status == BlockSource::Location::Status::Moved;
  } else if (policy == Policy::Refuse) {
    result.outcome = Outcome::BlockChanged;
    result.error = "the diagram's lines in '" + source.path + "' changed since they were read";
    return result;
  } else {
    const std::vector<DiagramBlock> blocks = BlockFinder::Find(prepared.now);
    const DiagramBlock* found = BlockFinder::At(blocks, source.block.outerFirst);
    if (found == nullptr) {
      return Failure("'" + source.path + "' has no diagram block at line " +
                     std::to_string(source.block.outerFirst + 1) + " any more");
    }
    prepared.block = *found;
    from.block = *found;
    from.lines.clear();
    from.shown.clear();
    from.ends.clear();
    from.blankTail = 0;
    if (found->count > 0) from.ends.emplace_back(prepared.now.End(found->End() - 1));
  }
  prepared.rows = BlockImport::Rows(sheet, from, &result.substitutes);
  prepared.lines = BlockSplicer::Lines(from, prepared.rows);
  result.bytes = BlockSplicer::Splice(prepared.now, prepared.block.first, prepared.block.count, prepared.lines);
  result.outcome = result.bytes == prepared.now.Bytes() ? Outcome::Unchanged : Outcome::Written;
  return result;
}

BlockWriter::Result BlockWriter::DryRun(const BlockSource& source, const Sheet& sheet, Policy policy) {
  Prepared prepared;
  return Prepare(source, sheet, policy, prepared);
}

BlockWriter::Result BlockWriter::Save(BlockSource& source, const Sheet& sheet, Policy policy) {
  Prepared prepared;
  Result result = Prepare(source, sheet, policy, prepared);
  if (result.outcome != Outcome::Written && result.outcome != Outcome::Unchanged) return result;
  if (result.outcome == Outcome::Written) {
    std::string error;
    if (AtomicFile::Write(source.path, result.bytes, error) != AtomicFile::Result::Written) {
      result.outcome = Outcome::Failed;
      result.error = "cannot write '" + source.path + "': " + error;
      return result;
    }
  }
  // The source follows the file: the block where it stands now, as written.
  HostFile written;
  std::string error;
  if (!HostFile::FromBytes(source.path, result.bytes, written, error)) {
    result.outcome = Outcome::Failed;
    result.error = "cannot read back '" + source.path + "': " + error;
    return result;
  }
  DiagramBlock block = prepared.block;
  const std::size_t after = block.outerLast + 1 - block.End();
  block.count = prepared.lines.size();
  block.outerLast = block.End() + after - 1;
  BlockSource followed = BlockSource::Of(written, block);
  followed.path = source.path;
  followed.encoding = source.encoding;
  followed.style = source.style;
  followed.lineEnd = source.lineEnd;
  followed.shown = prepared.rows;
  followed.identity = result.outcome == Outcome::Written ? FileIdentity::Of(source.path) : prepared.now.Identity();
  source = std::move(followed);
  return result;
}

BlockWriter::Result BlockWriter::Insert(const std::string& path, std::size_t line, const Sheet& sheet,
                                        BlockSource& source) {
  HostFile now;
  std::string error;
  if (!HostFile::Read(path, now, error)) return Failure("cannot read '" + path + "': " + error);
  const std::size_t at = std::min(line, now.LineCount());
  DiagramBlock block = BlockFinder::NewBlock(now, at);
  BlockSource empty;
  empty.path = path;
  empty.block = block;
  empty.encoding = now.GetEncoding();
  empty.lineEnd = std::string(now.UsualEnd());
  Result result;
  const std::vector<std::string> rows = BlockImport::Rows(sheet, empty, &result.substitutes);
  if (rows.empty()) {
    result.outcome = Outcome::Unchanged;
    return result;
  }
  std::vector<std::string> lines = BlockSplicer::Lines(empty, rows);
  const bool fence = block.kind == DiagramBlock::Kind::Fence;
  if (fence) {
    lines.insert(lines.begin(), "```" + empty.lineEnd);
    lines.push_back("```" + empty.lineEnd);
  }
  // A last line without its end gets one before the new lines follow it.
  if (at == now.LineCount() && at > 0 && now.End(at - 1).empty()) lines.front().insert(0, empty.lineEnd);
  result.bytes = BlockSplicer::Splice(now, at, 0, lines);
  if (AtomicFile::Write(path, result.bytes, error) != AtomicFile::Result::Written) {
    return Failure("cannot write '" + path + "': " + error);
  }
  HostFile written;
  if (!HostFile::FromBytes(path, result.bytes, written, error)) {
    return Failure("cannot read back '" + path + "': " + error);
  }
  block.count = rows.size();
  block.outerLast = block.End() + (fence ? 1 : 0) - 1;
  block.lineArt = true;
  BlockSource followed = BlockSource::Of(written, block);
  followed.shown = rows;
  followed.identity = FileIdentity::Of(path);
  source = std::move(followed);
  result.outcome = Outcome::Written;
  return result;
}

}  // namespace virlo
