#include "hostfile/BlockImport.h"

#include "export/ArtExport.h"
#include "objects/Sheet.h"

namespace virlo {

bool BlockImport::ReadGrid(const HostFile& file, const DiagramBlock& block, ArtGrid& grid, std::string& error) {
  // The lines as the file has them, the prefix for the grid to strip: it
  // counts the prefix's tabs in the line's columns, so tabs in the art keep
  // their stops.
  std::string text;
  for (std::size_t line = block.first; line < block.End(); ++line) {
    text += file.Text(line);
    text += '\n';
  }
  ArtGrid::Options options;
  options.encoding =
      file.GetEncoding() == HostFile::Encoding::Utf8 ? ArtGrid::Encoding::Utf8 : ArtGrid::Encoding::Cp932;
  options.commentPrefix = block.prefix;
  return grid.Read(text, options, error);
}

bool BlockImport::Import(const HostFile& file, const DiagramBlock& block, Sheet& sheet, BlockSource& source,
                         ArtImporter::Report& report, std::string& error) {
  ArtGrid grid;
  if (!ReadGrid(file, block, grid, error)) return false;
  if (!ArtImporter::Import(grid, sheet, report, error)) return false;
  source = BlockSource::Of(file, block);
  source.style = grid.HasGlyphs() ? ArtOptions::Style::Unicode : ArtOptions::Style::Ascii;
  source.shown = Rows(sheet, source);
  return true;
}

std::vector<std::string> BlockImport::Rows(const Sheet& sheet, const BlockSource& source, std::int32_t* substitutes) {
  const std::string art = ArtExport::Render(sheet, source.RenderOptions(), substitutes);
  std::vector<std::string> rows;
  std::size_t start = 0;
  while (start < art.size()) {
    const std::size_t end = art.find('\n', start);
    rows.push_back(art.substr(start, end - start));
    start = end + 1;
  }
  return rows;
}

}  // namespace virlo
