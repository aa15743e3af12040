#include "app/BlockDocuments.h"

#include <QFile>
#include <QFileInfo>
#include <utility>

namespace virlo {

void BlockDocuments::Add(const Document* document, Origin origin) { origins_[document] = std::move(origin); }

void BlockDocuments::Forget(const Document* document) { origins_.erase(document); }

BlockDocuments::Origin* BlockDocuments::Find(const Document* document) {
  const auto it = origins_.find(document);
  return it != origins_.end() ? &it->second : nullptr;
}

const BlockDocuments::Origin* BlockDocuments::Find(const Document* document) const {
  const auto it = origins_.find(document);
  return it != origins_.end() ? &it->second : nullptr;
}

const Document* BlockDocuments::Holding(const QString& path, std::size_t line) const {
  const QString absolute = QFileInfo(path).absoluteFilePath();
  for (const auto& [document, origin] : origins_) {
    if (origin.insertAt ||
        QFileInfo(QFile::decodeName(QByteArray::fromStdString(origin.source.path))).absoluteFilePath() != absolute)
      continue;
    if (origin.source.block.Holds(line)) return document;
  }
  return nullptr;
}

QString BlockDocuments::Title(const Origin& origin) {
  const QString name = QFileInfo(QFile::decodeName(QByteArray::fromStdString(origin.source.path))).fileName();
  if (origin.insertAt) return QStringLiteral("%1:%2").arg(name).arg(*origin.insertAt + 1);
  const DiagramBlock& block = origin.source.block;
  return QStringLiteral("%1:%2-%3").arg(name).arg(block.outerFirst + 1).arg(block.outerLast + 1);
}

QString BlockDocuments::Stem(const Origin& origin) {
  return QFileInfo(QFile::decodeName(QByteArray::fromStdString(origin.source.path))).completeBaseName();
}

}  // namespace virlo
