#pragma once
// The application folder: the running executable's folder with a trailing
// "/", with symbolic links resolved (bin/vk47 is a link to lib/vk47/vk47). The icons ("Img/") and the help page ("Help/index.html") are found
// from it. Tests point it at a temporary folder. UI thread only.

#include <QString>

namespace vk47 {

QString ApplicationFolder();

// Replaces the folder (a trailing "/" is added when missing); an empty text
// returns to the executable's folder.
void SetApplicationFolder(const QString& folder);

// The full path of an icon file in "Img/", such as IconPath("4.bmp"); in the
// hiragana mode the one in "Img/kana/" when it is there.
QString IconPath(const QString& file);

}  // namespace vk47
