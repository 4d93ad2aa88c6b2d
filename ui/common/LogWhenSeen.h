#pragma once
// Lines for a read-only log control that is hidden most of the time (the
// byte log lies outside the normal window and is shown when it is
// maximised). While the control is hidden its lines are kept and added in one
// edit when it is shown: laying out each line of a text nobody sees took a
// share of the transfer's waits. UI thread only.

#include <QObject>
#include <QStringList>

class QPlainTextEdit;

namespace vk47 {

class TLogWhenSeen : public QObject {
 public:
  explicit TLogWhenSeen(QPlainTextEdit* edit);

  void Append(const QString& line);
  // Lines not yet in the control (for tests).
  const QStringList& Pending() const { return pending_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Flush();

  QPlainTextEdit* edit_;
  QStringList pending_;
};

}  // namespace vk47
