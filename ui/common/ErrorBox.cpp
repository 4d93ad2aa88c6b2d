#include "ui/common/ErrorBox.h"

#include "ui/common/Catalogue.h"

#include <QCoreApplication>
#include <QPushButton>
#include <QWidget>
#include <algorithm>
#include <exception>
#include <iterator>
#include <memory>

namespace vk47 {
namespace {

MessageBoxFunction& BoxFunction() {
  static MessageBoxFunction function;
  return function;
}

// The details button says 「くわしく」 in every mode (Qt's own words would be
// English or kanji), and 「閉じる」 while the details show. Qt relabels it at
// each click, so the label is put back once that click has been handled.
// Enter stays with OK: the button is never the default, a click leaves the
// focus on OK (Tab still reaches it), and OK takes the focus back after it.
void LabelDetailsButton(QMessageBox& box) {
  QAbstractButton* ok = box.button(QMessageBox::Ok);
  for (QAbstractButton* button : box.findChildren<QAbstractButton*>()) {
    if (box.buttonRole(button) != QMessageBox::ActionRole) continue;
    if (auto* push = qobject_cast<QPushButton*>(button)) {
      push->setAutoDefault(false);
      push->setDefault(false);
    }
    button->setFocusPolicy(Qt::TabFocus);
    auto shown = std::make_shared<bool>(false);
    button->setText(Tr("くわしく"));
    QObject::connect(
        button, &QAbstractButton::clicked, &box,
        [button, ok, shown] {
          *shown = !*shown;
          button->setText(*shown ? Tr("閉じる") : Tr("くわしく"));
          if (ok) ok->setFocus(Qt::OtherFocusReason);
        },
        Qt::QueuedConnection);
  }
}

void ShowRealBox(QWidget* parent, const MessageBoxRequest& request) {
  QMessageBox box(request.icon, request.caption, request.text, QMessageBox::Ok, parent);
  box.setDefaultButton(QMessageBox::Ok);
  box.setEscapeButton(QMessageBox::Ok);
  if (!request.details.isEmpty()) {
    box.setDetailedText(request.details);
    LabelDetailsButton(box);
  }
  box.exec();
}

SaveQuestionFunction& QuestionFunction() {
  static SaveQuestionFunction function;
  return function;
}

SaveAnswer AskWithRealBox(QWidget* parent, const QString& text) {
  QMessageBox box(QMessageBox::Question, ApplicationTitle(), text, QMessageBox::NoButton, parent);
  QPushButton* save = box.addButton(Tr("保存"), QMessageBox::AcceptRole);
  QPushButton* discard = box.addButton(Tr("保存しない"), QMessageBox::DestructiveRole);
  QPushButton* cancel = box.addButton(Tr("キャンセル"), QMessageBox::RejectRole);
  box.setDefaultButton(save);
  box.setEscapeButton(cancel);
  box.exec();
  if (box.clickedButton() == save) return SaveAnswer::kSave;
  if (box.clickedButton() == discard) return SaveAnswer::kDiscard;
  return SaveAnswer::kCancel;
}

}  // namespace

void SetSaveQuestionFunction(SaveQuestionFunction function) { QuestionFunction() = std::move(function); }

SaveAnswer AskToSave(QWidget* parent, const QString& text) {
  return QuestionFunction() ? QuestionFunction()(parent, text) : AskWithRealBox(parent, text);
}

void SetMessageBoxFunction(MessageBoxFunction function) { BoxFunction() = std::move(function); }

void ShowMessageBox(QWidget* parent, const MessageBoxRequest& request) {
  if (BoxFunction()) {
    BoxFunction()(parent, request);
  } else {
    ShowRealBox(parent, request);
  }
}

QString ApplicationTitle() { return QCoreApplication::applicationName(); }

QString MessageWithPeriod(const QString& message) {
  // A full stop after "。" would read as a stray mark ("…開き直します。.").
  constexpr char16_t kSentenceEnds[] = {u'。', u'．', u'！', u'？'};
  if (!message.isEmpty() && message.back() > QChar(u'.') &&
      std::find(std::begin(kSentenceEnds), std::end(kSentenceEnds), message.back().unicode()) == std::end(kSentenceEnds)) {
    return message + u'.';
  }
  return message;
}

void ShowErrorBox(QWidget* parent, const QString& message, const QString& details) {
  ShowMessageBox(parent, {QMessageBox::Critical, ApplicationTitle(), MessageWithPeriod(message), details});
}

void ShowNoticeBox(QWidget* parent, const Notice& notice) {
  // Each line is a message of its own: a line without a full stop gets the
  // box's ".", a sentence keeps its "。".
  QStringList lines;
  for (const Words& line : notice.main) lines << MessageWithPeriod(TrWords(line));
  ShowMessageBox(parent, {QMessageBox::Critical, ApplicationTitle(), lines.join(u'\n'), NoticeDetailsText(notice)});
}

QString FailureWarningText() {
  return Tr("エラーが発生しました") + QStringLiteral("\r\n") + Tr("ソフトを再起動するか再度インストールして下さい");
}

void ShowFailureWarning(QWidget* parent) {
  ShowMessageBox(parent, {QMessageBox::Warning, Tr("警告"), FailureWarningText(), {}});
}

bool RunGuarded(QWidget* parent, const std::function<void()>& body) {
  try {
    body();
    return true;
  } catch (const NoticeError& error) {
    ShowNoticeBox(parent, error.notice());
  } catch (const std::exception& error) {
    ShowErrorBox(parent, QString::fromUtf8(error.what()));
  } catch (...) {
    ShowErrorBox(parent, Tr("不明なエラーが発生しました"));
  }
  return false;
}

}  // namespace vk47
