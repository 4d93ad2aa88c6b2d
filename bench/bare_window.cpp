// A bare Qt window of the main window's size: the floor that Qt itself sets
// for start-up on this machine. With VK47_STARTUP_TRACE naming a file, it
// writes "main" and "painted" (milliseconds on the monotonic clock) there
// after its first paint, as vk47 does.
#include <QApplication>
#include <QEvent>
#include <QFile>
#include <QLabel>
#include <QTimer>
#include <QWindow>
#include <chrono>

namespace {

double NowMs() {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

class FirstPaint : public QObject {
 public:
  explicit FirstPaint(double main_ms) : main_ms_(main_ms) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Expose) {
      watched->removeEventFilter(this);
      QTimer::singleShot(0, this, [this] {
        QFile file(qEnvironmentVariable("VK47_STARTUP_TRACE"));
        if (file.open(QIODevice::WriteOnly)) {
          file.write("main " + QByteArray::number(main_ms_, 'f', 3) + "\npainted " +
                     QByteArray::number(NowMs(), 'f', 3) + "\n");
        }
      });
    }
    return false;
  }

 private:
  double main_ms_;
};

}  // namespace

int main(int argc, char* argv[]) {
  const double main_ms = NowMs();
  QApplication app(argc, argv);
  QLabel label(QStringLiteral("bare"));
  label.setWindowTitle(QStringLiteral("bare"));
  label.resize(732, 546);
  label.show();
  FirstPaint watch(main_ms);
  label.windowHandle()->installEventFilter(&watch);
  return app.exec();
}
