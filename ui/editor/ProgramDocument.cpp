#include "ui/editor/ProgramDocument.h"
#include "ui/common/Catalogue.h"

#include <QFileInfo>
#include <QUndoCommand>
#include <QUndoStack>

namespace vk47 {
namespace {

// Far more than a lesson needs; each step holds two sets of sixteen codes.
constexpr int kUndoLimit = 1000;

// One change of the program: the codes before and after it. The change has
// already been made when the step is pushed, so its first redo does nothing.
class ProgramStep : public QUndoCommand {
 public:
  ProgramStep(const ProgramDocument::RestoreFunction& restore, const QString& text,
              const ProgramCodes& before, const ProgramCodes& after)
      : QUndoCommand(text), restore_(restore), before_(before), after_(after) {}

  const ProgramCodes& Before() const { return before_; }
  const ProgramCodes& After() const { return after_; }

  void undo() override { restore_(before_); }
  void redo() override {
    if (first_redo_) {
      first_redo_ = false;
      return;
    }
    restore_(after_);
  }

 private:
  const ProgramDocument::RestoreFunction& restore_;
  ProgramCodes before_;
  ProgramCodes after_;
  bool first_redo_ = true;
};

}  // namespace

QString ProgramDocument::BaseCaption() { return QStringLiteral("VK-47ロボット制御３"); }

ProgramDocument::ProgramDocument(CodesFunction current, RestoreFunction restore)
    : current_(std::move(current)), restore_(std::move(restore)), stack_(std::make_unique<QUndoStack>()) {
  stack_->setObjectName(QStringLiteral("UndoStack"));
  stack_->setUndoLimit(kUndoLimit);
  QObject::connect(stack_.get(), &QUndoStack::indexChanged, [this] { Changed(); });
}

ProgramDocument::~ProgramDocument() {
  // The stack's clean-up signals must not reach an owner being destroyed.
  stack_->disconnect();
}

void ProgramDocument::RecordChange(const QString& what, const std::function<void()>& change) {
  const ProgramCodes before = current_();
  auto push = [&] {
    const ProgramCodes after = current_();
    if (after != before) stack_->push(new ProgramStep(restore_, what, before, after));
    Changed();
  };
  try {
    change();
  } catch (...) {
    push();
    throw;
  }
  push();
}

std::optional<ProgramCodes> ProgramDocument::UndoTarget() const {
  if (!stack_->canUndo()) return std::nullopt;
  const auto* step = dynamic_cast<const ProgramStep*>(stack_->command(stack_->index() - 1));
  return step ? std::optional(step->Before()) : std::nullopt;
}

std::optional<ProgramCodes> ProgramDocument::RedoTarget() const {
  if (!stack_->canRedo()) return std::nullopt;
  const auto* step = dynamic_cast<const ProgramStep*>(stack_->command(stack_->index()));
  return step ? std::optional(step->After()) : std::nullopt;
}

std::optional<QString> ProgramDocument::Undo() {
  if (!stack_->canUndo()) return std::nullopt;
  // The name is read before the step moves: afterwards it is the next one's.
  const QString text = stack_->undoText();
  stack_->undo();
  return text;
}

std::optional<QString> ProgramDocument::Redo() {
  if (!stack_->canRedo()) return std::nullopt;
  const QString text = stack_->redoText();
  stack_->redo();
  return text;
}

void ProgramDocument::MarkSaved(const QString& file, const ProgramCodes& codes) {
  file_name_ = file;
  saved_codes_ = codes;
  Changed();
}

bool ProgramDocument::Modified() const { return current_() != saved_codes_; }

QString ProgramDocument::FileLabel() const {
  const QString name = file_name_.isEmpty() ? Tr("無題") : QFileInfo(file_name_).fileName();
  return Modified() ? name + QStringLiteral("*") : name;
}

QString ProgramDocument::Caption() const {
  if (file_name_.isEmpty() && !Modified()) return BaseCaption();
  return FileLabel() + QStringLiteral(" - ") + BaseCaption();
}

void ProgramDocument::Changed() {
  if (OnChanged) OnChanged();
}

}  // namespace vk47
