#include "ui_test_support.h"

#include <QDir>
#include <QFile>
#include <QImage>

#include "serial/port_resolver.h"
#include "settings/settings_folder.h"
#include "ui/common/AppFolder.h"

namespace vk47::testing {

bool HasKanji(const QString& text) {
  for (const QChar c : text) {
    const char16_t u = c.unicode();
    if ((u >= 0x4E00 && u <= 0x9FFF) || (u >= 0x3400 && u <= 0x4DBF) || (u >= 0xF900 && u <= 0xFAFF) || u == 0x3005) {
      return true;
    }
  }
  return false;
}

const int kCommandNumbers[] = {1, 2, 3, 4, 5, 6, 7, 24, 25, 26, 27, 28, 29, 30, 31};

UiSandbox::UiSandbox() {
  QDir(app_dir_.path()).mkpath(QStringLiteral("Img"));
  SetApplicationFolder(app_dir_.path());
  const std::string documents = documents_dir_.path().toStdString();
  SetDocumentsFolderProvider([documents] { return documents; });
  // A window made without the fake line must not reach a real port.
  SetPortResolver([](const std::string&) { return PortDevice("/nonexistent/vk47-test-port"); });
  SetMessageBoxFunction([this](QWidget*, const MessageBoxRequest& request) { boxes.push_back(request); });
}

UiSandbox::~UiSandbox() {
  SetMessageBoxFunction({});
  SetPortResolver({});
  SetDocumentsFolderProvider({});
  SetApplicationFolder({});
}

QString UiSandbox::ImgFolder() const { return app_dir_.path() + QStringLiteral("/Img/"); }

void UiSandbox::WriteIcon(int number, QColor colour) {
  QImage image(50, 72, QImage::Format_RGB32);
  image.fill(Qt::white);
  for (int y = 20; y < 52; ++y) {
    for (int x = 10; x < 40; ++x) image.setPixelColor(x, y, colour);
  }
  image.save(ImgFolder() + QString::number(number) + QStringLiteral(".bmp"), "BMP");
}

void UiSandbox::WriteAllIcons() {
  for (int number : kCommandNumbers) WriteIcon(number, QColor::fromHsv(number * 11, 200, 200));
}

void UiSandbox::RemoveIcon(int number) {
  QFile::remove(ImgFolder() + QString::number(number) + QStringLiteral(".bmp"));
}

QString UiSandbox::SettingsFile() const {
  return documents_dir_.path() + QStringLiteral("/PT-36Temp/set.ini");
}

void UiSandbox::WritePortSetting(int index) {
  QDir(documents_dir_.path()).mkpath(QStringLiteral("PT-36Temp"));
  QFile file(SettingsFile());
  file.open(QIODevice::WriteOnly);
  file.write(QStringLiteral("[comport]\r\nname=%1\r\n").arg(index).toUtf8());
}

QString UiSandbox::ReadSettingsFile() const {
  QFile file(SettingsFile());
  if (!file.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(file.readAll());
}

}  // namespace vk47::testing
