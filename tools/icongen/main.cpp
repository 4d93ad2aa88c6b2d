// vk47-icongen: draws the fifteen command icons ("1.bmp" .. "31.bmp") into a
// folder, normally the build's bin/Img beside the application, and the same
// icons captioned in kana into its subfolder "kana" (the hiragana mode); with
// --app-icon, the application icon "vk47" as an icon theme tree
// (hicolor/NxN/apps/vk47.png and hicolor/scalable/apps/vk47.svg); with
// --windows-icon, the same icon as a Windows .ico file for vk47.exe.

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QFontInfo>
#include <QGuiApplication>
#include <cstdio>
#include <utility>

#include "model/command_set.h"
#include "tools/icongen/app_icon.h"
#include "tools/icongen/icon_canvas.h"
#include "tools/icongen/pictograms.h"

namespace {

bool WriteFile(const QString& path, const QByteArray& bytes) {
  QSaveFile file(path);
  return QDir().mkpath(QFileInfo(path).path()) && file.open(QIODevice::WriteOnly) &&
         file.write(bytes) == bytes.size() && file.commit();
}

// The application icon in every size of the theme, below folder/hicolor.
int WriteAppIcon(const QString& folder) {
  const QDir theme(QDir(folder).filePath(QStringLiteral("hicolor")));
  for (const int size : vk47::icongen::kAppIconSizes) {
    const QString path = theme.filePath(QStringLiteral("%1x%1/apps/vk47.png").arg(size));
    if (!QDir().mkpath(QFileInfo(path).path()) || !vk47::icongen::RenderAppIcon(size).save(path, "PNG")) {
      std::fprintf(stderr, "vk47-icongen: cannot write %s\n", qPrintable(path));
      return 1;
    }
  }
  const QString svg = theme.filePath(QStringLiteral("scalable/apps/vk47.svg"));
  if (!WriteFile(svg, vk47::icongen::AppIconSvg().toUtf8())) {
    std::fprintf(stderr, "vk47-icongen: cannot write %s\n", qPrintable(svg));
    return 1;
  }
  return 0;
}

int WriteWindowsIcon(const QString& path) {
  const QByteArray ico = vk47::icongen::AppIconIco();
  if (ico.isEmpty() || !WriteFile(path, ico)) {
    std::fprintf(stderr, "vk47-icongen: cannot write %s\n", qPrintable(path));
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const bool app_icon = argc == 3 && qstrcmp(argv[1], "--app-icon") == 0;
  const bool windows_icon = argc == 3 && qstrcmp(argv[1], "--windows-icon") == 0;
  if (argc != 2 && !app_icon && !windows_icon) {
    std::fprintf(stderr,
                 "usage: vk47-icongen OUTPUT_FOLDER\n       vk47-icongen --app-icon OUTPUT_FOLDER\n"
                 "       vk47-icongen --windows-icon FILE.ico\n");
    return 2;
  }
  // Fonts need a platform plugin; offscreen needs no display, as on a build server.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  if (app_icon) return WriteAppIcon(QString::fromLocal8Bit(argv[2]));
  if (windows_icon) return WriteWindowsIcon(QString::fromLocal8Bit(argv[2]));

  const QString folder = QString::fromLocal8Bit(argv[1]);
  const QString kana_folder = QDir(folder).filePath(QStringLiteral("kana"));
  if (!QDir().mkpath(folder) || !QDir().mkpath(kana_folder)) {
    std::fprintf(stderr, "vk47-icongen: cannot create %s\n", argv[1]);
    return 1;
  }
  if (QFontInfo(QFont("IPAPGothic")).family() != QLatin1String("IPAPGothic")) {
    std::fprintf(stderr, "vk47-icongen: warning: font IPAPGothic not found, captions may not show\n");
  }

  // One icon per command of the model, so a command without a drawing is a build error.
  for (const vk47::Command& command : vk47::Commands()) {
    const auto* pictogram = vk47::icongen::FindPictogram(command.number);
    const QString name = QString::fromUtf8(command.number.data(), qsizetype(command.number.size()));
    if (pictogram == nullptr) {
      std::fprintf(stderr, "vk47-icongen: no drawing for command %s\n", qPrintable(name));
      return 1;
    }
    using vk47::icongen::Captions;
    for (const auto& [where, captions] : {std::pair{folder, Captions::kKanji}, std::pair{kana_folder, Captions::kKana}}) {
      const QString path = QDir(where).filePath(name + QStringLiteral(".bmp"));
      if (!vk47::icongen::RenderIcon(*pictogram, captions).save(path, "BMP")) {
        std::fprintf(stderr, "vk47-icongen: cannot write %s\n", qPrintable(path));
        return 1;
      }
    }
  }
  return 0;
}
