#include "ui/common/ErrorBox.h"

#include <QCoreApplication>
#include <QPushButton>
#include <QWidget>
#include <exception>

namespace vk47 {
namespace {

MessageBoxFunction& BoxFunction() {
  static MessageBoxFunction function;
  return function;
}

void ShowRealBox(QWidget* parent, const MessageBoxRequest& request) {
  QMessageBox box(request.icon, request.caption, request.text, QMessageBox::Ok, parent);
  box.exec();
}

SaveQuestionFunction& QuestionFunction() {
  static SaveQuestionFunction function;
  return function;
}

SaveAnswer AskWithRealBox(QWidget* parent, const QString& text) {
  QMessageBox box(QMessageBox::Question, ApplicationTitle(), text, QMessageBox::NoButton, parent);
  QPushButton* save = box.addButton(QStringLiteral("保存"), QMessageBox::AcceptRole);
  QPushButton* discard = box.addButton(QStringLiteral("保存しない"), QMessageBox::DestructiveRole);
  QPushButton* cancel = box.addButton(QStringLiteral("キャンセル"), QMessageBox::RejectRole);
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
  if (!message.isEmpty() && message.back() > QChar(u'.')) {
    return message + u'.';
  }
  return message;
}

void ShowErrorBox(QWidget* parent, const QString& message) {
  ShowMessageBox(parent, {QMessageBox::Critical, ApplicationTitle(), MessageWithPeriod(message)});
}

QString FailureWarningText() {
  return QStringLiteral("エラーが発生しました\r\nソフトを再起動するか再度インストールして下さい");
}

void ShowFailureWarning(QWidget* parent) {
  ShowMessageBox(parent, {QMessageBox::Warning, QStringLiteral("警告"), FailureWarningText()});
}

bool RunGuarded(QWidget* parent, const std::function<void()>& body) {
  try {
    body();
    return true;
  } catch (const std::exception& error) {
    ShowErrorBox(parent, QString::fromUtf8(error.what()));
  } catch (...) {
    ShowErrorBox(parent, QStringLiteral("不明なエラーが発生しました"));
  }
  return false;
}

}  // namespace vk47
