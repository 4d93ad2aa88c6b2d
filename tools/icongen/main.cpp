// vk47-icongen: draws the fifteen command icons ("1.bmp" .. "31.bmp") into a
// folder, normally the build's bin/Img beside the application.

#include <QDir>
#include <QFontInfo>
#include <QGuiApplication>
#include <cstdio>

#include "model/command_set.h"
#include "tools/icongen/icon_canvas.h"
#include "tools/icongen/pictograms.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: vk47-icongen OUTPUT_FOLDER\n");
    return 2;
  }
  // Fonts need a platform plugin; offscreen needs no display, as on a build server.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);

  const QString folder = QString::fromLocal8Bit(argv[1]);
  if (!QDir().mkpath(folder)) {
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
    const QString path = QDir(folder).filePath(name + QStringLiteral(".bmp"));
    if (!vk47::icongen::RenderIcon(*pictogram).save(path, "BMP")) {
      std::fprintf(stderr, "vk47-icongen: cannot write %s\n", qPrintable(path));
      return 1;
    }
  }
  return 0;
}
