#pragma once
// ProgramDocument: the program as a document. It keeps the undo stack of the
// program's changes, the codes the program was last saved, loaded or started
// with, the file it was saved to or loaded from, and from these whether it has
// unsaved changes and what the window's caption and file label say.
//
// It knows nothing of widgets: it reads the program through `current` and
// puts a whole program back through `restore` (the window passes its slots'
// checked path, the one a load takes). OnChanged is called after every change
// of the program or of its file, including undo and redo. UI thread only.
//
// A change is recorded after it is made: RecordChange runs it and pushes one
// undo step when the codes differ afterwards, so the step's first redo does
// nothing. The step is pushed even when the change throws halfway, because
// the slots it reached have changed.

#include <QString>
#include <functional>
#include <memory>
#include <optional>

#include "model/step_program.h"

class QUndoStack;

namespace vk47 {

class ProgramDocument {
 public:
  using CodesFunction = std::function<ProgramCodes()>;
  using RestoreFunction = std::function<void(const ProgramCodes&)>;

  // The caption of the window while no file is named and nothing has changed.
  static QString BaseCaption();

  ProgramDocument(CodesFunction current, RestoreFunction restore);
  ~ProgramDocument();
  ProgramDocument(const ProgramDocument&) = delete;
  ProgramDocument& operator=(const ProgramDocument&) = delete;

  // One step per change of the program; owned by the document.
  QUndoStack* UndoStack() const { return stack_.get(); }

  // Runs `change` (which may throw) and, when the codes differ afterwards,
  // adds one undo step named `what` that goes back to the codes before it.
  void RecordChange(const QString& what, const std::function<void()>& change);

  // The program that Undo or Redo would put back; nothing when there is no
  // step to undo or redo. The window checks its icons before it calls them.
  std::optional<ProgramCodes> UndoTarget() const;
  std::optional<ProgramCodes> RedoTarget() const;
  // Undoes or redoes one step and returns its name; nothing when none.
  std::optional<QString> Undo();
  std::optional<QString> Redo();

  // The program `codes` is now the one in `file` (saved or loaded).
  void MarkSaved(const QString& file, const ProgramCodes& codes);
  // Whether the program differs from the one last saved, loaded or started with.
  bool Modified() const;
  // The file last saved or loaded; empty before the first.
  const QString& FileName() const { return file_name_; }
  // "demo.pt3* - VK-47ロボット制御３"; the plain caption for an untouched window.
  QString Caption() const;
  // The file's name ("無題" before the first), "*" while changes are unsaved.
  QString FileLabel() const;

  std::function<void()> OnChanged;

 private:
  void Changed();

  CodesFunction current_;
  RestoreFunction restore_;
  std::unique_ptr<QUndoStack> stack_;
  QString file_name_;
  ProgramCodes saved_codes_ = EmptyProgram();
};

}  // namespace vk47
