#pragma once
// A sandbox for window tests: a temporary application folder with generated
// icons in Img/, a temporary documents folder for set.ini, and a recorder in
// place of the modal message boxes.

#include <QColor>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <ostream>
#include <QList>
#include <QObject>
#include <QUrl>
#include <QString>
#include <QTemporaryDir>
#include <vector>

#include "serial/testing/fake_comm_device.h"
#include "ui/common/ErrorBox.h"

// Readable failure messages for geometry.
inline void PrintTo(const QRect& r, std::ostream* os) {
  *os << "QRect(" << r.x() << ", " << r.y() << ", " << r.width() << ", " << r.height() << ")";
}
inline void PrintTo(const QPoint& p, std::ostream* os) { *os << "QPoint(" << p.x() << ", " << p.y() << ")"; }
inline void PrintTo(const QSize& s, std::ostream* os) { *os << "QSize(" << s.width() << ", " << s.height() << ")"; }

namespace vk47::testing {

// Whether `text` holds kanji: the CJK ideographs and the iteration mark.
bool HasKanji(const QString& text);

class UiSandbox {
 public:
  UiSandbox();
  ~UiSandbox();

  // Writes Img/<number>.bmp for every command number: a white background
  // with a coloured block in the middle.
  void WriteAllIcons();
  void WriteIcon(int number, QColor colour);
  void RemoveIcon(int number);
  QString ImgFolder() const;

  // set.ini in the settings folder of the temporary documents folder.
  QString SettingsFile() const;
  void WritePortSetting(int index);
  QString ReadSettingsFile() const;

  std::vector<MessageBoxRequest> boxes;
  // The serial line that windows made with Factory() open.
  std::shared_ptr<FakeCommLine> line = FakeCommLine::Make();
  CommDeviceFactory Factory() { return line->Factory(); }

 private:
  QTemporaryDir app_dir_;
  QTemporaryDir documents_dir_;
};

// Stands in for the desktop's URL opener (QDesktopServices::setUrlHandler).
class UrlRecorder : public QObject {
  Q_OBJECT

 public:
  QList<QUrl> urls;

 public slots:
  void Open(const QUrl& url) { urls << url; }
};

}  // namespace vk47::testing
