#include "ui/common/LogWhenSeen.h"

#include <QEvent>
#include <QPlainTextEdit>

namespace vk47 {

TLogWhenSeen::TLogWhenSeen(QPlainTextEdit* edit) : QObject(edit), edit_(edit) { edit->installEventFilter(this); }

void TLogWhenSeen::Append(const QString& line) {
  if (!edit_->isVisible()) {
    pending_.append(line);
    return;
  }
  Flush();
  edit_->appendPlainText(line);
}

bool TLogWhenSeen::eventFilter(QObject* watched, QEvent* event) {
  if (watched == edit_ && event->type() == QEvent::Show) Flush();
  return false;
}

void TLogWhenSeen::Flush() {
  if (pending_.isEmpty()) return;
  // One edit: each line still becomes a paragraph of its own.
  edit_->appendPlainText(pending_.join(QLatin1Char('\n')));
  pending_.clear();
}

}  // namespace vk47
