#include "ui/AppFolder.h"

#include <QCoreApplication>

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
  return WithSlash(QCoreApplication::applicationDirPath());
}

void SetApplicationFolder(const QString& folder) {
  FolderOverride() = folder.isEmpty() ? QString() : WithSlash(folder);
}

QString IconPath(const QString& file) { return ApplicationFolder() + QStringLiteral("Img/") + file; }

}  // namespace vk47
