#include "ui/common/AppFolder.h"

#include <QCoreApplication>
#include <QFileInfo>

#include "ui/common/Catalogue.h"

namespace vk47 {
namespace {

QString& FolderOverride() {
  static QString folder;
  return folder;
}

QString WithSlash(QString folder) {
  if (!folder.endsWith(u'/')) folder += u'/';
  return folder;
}

}  // namespace

QString ApplicationFolder() {
  if (!FolderOverride().isEmpty()) return FolderOverride();
  // The folder of the executable itself: an installed vk47 is started
  // through the link bin/vk47, while Img/ and Help/ sit beside the real file.
  const QString executable = QCoreApplication::applicationFilePath();
  const QString resolved = QFileInfo(executable).canonicalFilePath();
  return WithSlash(QFileInfo(resolved.isEmpty() ? executable : resolved).path());
}

void SetApplicationFolder(const QString& folder) {
  FolderOverride() = folder.isEmpty() ? QString() : WithSlash(folder);
}

QString IconPath(const QString& file) {
  // The hiragana mode's icons carry their captions in kana; a folder without
  // them keeps the usual ones.
  if (KanaMode()) {
    const QString kana = ApplicationFolder() + QStringLiteral("Img/kana/") + file;
    if (QFileInfo::exists(kana)) return kana;
  }
  return ApplicationFolder() + QStringLiteral("Img/") + file;
}

}  // namespace vk47
