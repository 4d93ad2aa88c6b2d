// While a load (the open dialog answered) or the demo fills the slots, the
// window's commands are held back: a clear, a transfer, a drop or a
// value-label click that arrives from the event loop half-way through is
// ignored, the program ends exactly as loaded and nothing reaches the line.
// Each command is then shown to work once the load has ended, so a command
// that did nothing for another reason cannot pass for a held one.
#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>

#include "model/demo_program.h"
#include "model/program_file.h"
#include "ui/common/FileDialogs.h"
#include "ui/editor/TImage.h"
#include "ui/Unit1.h"
#include "ui/progresbar.h"
#include "ui_test_support.h"

namespace vk47 {
namespace {

const ProgramCodes kFileProgram = {84, 36, 179, 4, 20, 4, 68, 4, 52, 4, 100, 4, 36, 4, 84, 207};

enum class Operation { kLoad, kDemo };
enum class Command { kClear, kTransfer, kDrop, kValueLabelClick };

struct Case {
  const char* name;
  Operation operation;
  Command command;
};
void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class HeldCommands : public ::testing::TestWithParam<Case> {
 protected:
  HeldCommands() {
    sandbox.WriteAllIcons();
    form1 = std::make_unique<TForm1>(sandbox.Factory());
    form2 = std::make_unique<TForm2>(form1.get());
    // A click re-encodes with this position, a drop encodes with it: neither
    // gives the code that slot 0 is loaded with.
    form1->TrackBar1->setValue(9);
  }
  ~HeldCommands() override { SetFileDialogFunction({}); }

  // Runs the operation; once the progress shows slot 8 loaded, a zero timer
  // delivers `command` as the event loop would deliver a user's action.
  ProgramCodes RunWithCommandMidway(Operation operation, Command command) {
    bool armed = true;
    const QMetaObject::Connection watch =
        QObject::connect(form2->ProgressBar1, &QProgressBar::valueChanged, form1.get(), [&](int value) {
          if (!armed || value < TForm2::ProgressForStep(7)) return;
          armed = false;
          QTimer::singleShot(0, form1.get(), [this, command] {
            fired = true;
            Deliver(command);
          });
        });
    ProgramCodes loaded;
    if (operation == Operation::kLoad) {
      const QString path = sandbox.ImgFolder() + "/../program.pt3";
      QFile f(path);
      EXPECT_TRUE(f.open(QIODevice::WriteOnly));
      f.write(QByteArray::fromStdString(ProgramFileText(kFileProgram)));
      f.close();
      SetFileDialogFunction([path](QWidget*, TFileDialog& d) {
        d.FileName = path;
        return true;
      });
      form1->N1Click();
      loaded = kFileProgram;
    } else {
      form1->N2Click();
      loaded = *DemoProgram().codes;
    }
    QObject::disconnect(watch);
    return loaded;
  }

  void Deliver(Command command) {
    switch (command) {
      case Command::kClear:
        form1->N3->trigger();
        break;
      case Command::kTransfer:
        form1->Button1->click();
        break;
      case Command::kDrop: {
        const std::unique_ptr<QMimeData> data(TPaletteDrag::NewCommandMimeData(QStringLiteral("24")));
        QWidget* slot0 = form1->Picture(8);
        QDragEnterEvent enter(QPoint(20, 30), Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(slot0, &enter);
        QDropEvent drop(QPointF(20, 30), Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(slot0, &drop);
        break;
      }
      case Command::kValueLabelClick:
        if (QLabel* label = form1->StepSlots().DropLabels[0]) QTest::mouseClick(label, Qt::LeftButton, {}, QPoint(5, 5));
        break;
    }
  }

  std::size_t BytesWritten() const {
    std::size_t count = 0;
    for (const auto& call : sandbox.line->CallsOf("Write")) count += call.bytes.size();
    return count;
  }
  ProgramCodes Codes() const { return form1->StepSlots().Program().Codes(); }

  testing::UiSandbox sandbox;
  std::unique_ptr<TForm1> form1;
  std::unique_ptr<TForm2> form2;
  bool fired = false;
};

TEST_P(HeldCommands, AreIgnoredAndTheProgramEndsAsLoaded) {
  const Case& c = GetParam();
  sandbox.line->ClearCalls();
  const ProgramCodes loaded = RunWithCommandMidway(c.operation, c.command);
  ASSERT_TRUE(fired) << "the command never arrived during the operation";
  EXPECT_EQ(Codes(), loaded);
  for (int slot = 0; slot < kSlotCount; ++slot) {
    const bool empty = loaded[slot] == kEmptyCode;
    EXPECT_EQ(form1->StepSlots().DropLabels[slot] == nullptr, empty) << slot;
  }
  EXPECT_EQ(BytesWritten(), 0u) << "nothing may reach the line";
  EXPECT_TRUE(sandbox.boxes.empty());

  // The same command, once the operation has ended, takes effect.
  if (c.command == Command::kTransfer) return;  // its effect is the transfer tests' subject
  Deliver(c.command);
  if (c.command == Command::kClear) {
    EXPECT_EQ(Codes(), EmptyProgram());
  } else {
    ProgramCodes expected = loaded;
    expected[0] = Codes()[0];
    EXPECT_NE(expected[0], loaded[0]);
    EXPECT_EQ(Codes(), expected) << "only slot 0 changes";
  }
}

INSTANTIATE_TEST_SUITE_P(
    DuringLoadAndDemo, HeldCommands,
    ::testing::Values(Case{"LoadClear", Operation::kLoad, Command::kClear},
                      Case{"LoadTransfer", Operation::kLoad, Command::kTransfer},
                      Case{"LoadDrop", Operation::kLoad, Command::kDrop},
                      Case{"LoadValueLabelClick", Operation::kLoad, Command::kValueLabelClick},
                      Case{"DemoClear", Operation::kDemo, Command::kClear},
                      Case{"DemoTransfer", Operation::kDemo, Command::kTransfer},
                      Case{"DemoDrop", Operation::kDemo, Command::kDrop},
                      Case{"DemoValueLabelClick", Operation::kDemo, Command::kValueLabelClick}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vk47
