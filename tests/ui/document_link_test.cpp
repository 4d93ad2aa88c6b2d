// The window's two plain classes without a window: the program document
// (undo steps, file, unsaved mark, caption) and the link runner (what the
// status bar and the error box say after a robot command).

#include <gtest/gtest.h>

#include <QUndoStack>
#include <stdexcept>
#include <utility>

#include "serial/testing/fake_comm_device.h"
#include "ui/editor/ProgramDocument.h"
#include "ui/common/Catalogue.h"
#include "ui/common/ErrorBox.h"
#include "ui/robot/LinkRunner.h"

namespace vk47 {
namespace {

class DocumentTest : public ::testing::Test {
 protected:
  ProgramCodes codes = EmptyProgram();
  std::vector<ProgramCodes> restored;
  ProgramDocument document{[this] { return codes; },
                           [this](const ProgramCodes& c) {
                             restored.push_back(c);
                             codes = c;
                           }};
  void Set(int slot, int code) {
    document.RecordChange(QStringLiteral("set %1").arg(slot), [&] { codes[slot] = code; });
  }
};

TEST_F(DocumentTest, OneStepPerRealChangeEvenWhenTheChangeFailsHalfway) {
  Set(0, 0x24);
  document.RecordChange(QStringLiteral("nothing"), [] {});
  EXPECT_EQ(document.UndoStack()->count(), 1) << "a change that changes nothing is no step";
  EXPECT_THROW(document.RecordChange(QStringLiteral("half"),
                                     [&] {
                                       codes[1] = 0x84;
                                       throw std::runtime_error("icon missing");
                                     }),
               std::runtime_error);
  EXPECT_EQ(document.UndoStack()->count(), 2) << "the slots it reached have changed";
  EXPECT_TRUE(restored.empty()) << "a step's first redo does nothing";
}

TEST_F(DocumentTest, UndoAndRedoNameTheirOwnStepAndPutBackTheirTarget) {
  Set(0, 0x24);
  Set(1, 0x84);
  EXPECT_EQ(document.UndoTarget()->at(1), kEmptyCode);
  EXPECT_EQ(document.Undo(), QStringLiteral("set 1"));
  EXPECT_EQ(codes[1], kEmptyCode);
  EXPECT_EQ(document.UndoTarget()->at(0), kEmptyCode);
  EXPECT_EQ(document.RedoTarget()->at(1), 0x84);
  EXPECT_EQ(document.Redo(), QStringLiteral("set 1"));
  EXPECT_EQ(codes[1], 0x84);
  EXPECT_FALSE(document.RedoTarget());
  EXPECT_FALSE(document.Redo());
  ASSERT_EQ(restored.size(), 2u);
}

TEST_F(DocumentTest, CaptionAndFileLabelFollowTheFileAndUnsavedChanges) {
  const QString base = ProgramDocument::BaseCaption();
  int changed = 0;
  document.OnChanged = [&changed] { ++changed; };
  EXPECT_EQ(document.Caption(), base) << "an untouched window keeps its plain caption";
  EXPECT_EQ(document.FileLabel(), QStringLiteral("無題"));
  Set(0, 0x24);
  EXPECT_GT(std::exchange(changed, 0), 0);
  EXPECT_EQ(document.Caption(), QStringLiteral("無題* - ") + base);
  document.MarkSaved(QStringLiteral("/tmp/x/demo.pt3"), codes);
  EXPECT_GT(std::exchange(changed, 0), 0);
  EXPECT_FALSE(document.Modified());
  EXPECT_EQ(document.Caption(), QStringLiteral("demo.pt3 - ") + base);
  document.Undo();
  EXPECT_TRUE(document.Modified()) << "the saved program is the one undone";
  EXPECT_EQ(document.FileLabel(), QStringLiteral("demo.pt3*"));
  EXPECT_GT(changed, 0);
}

TEST(LinkRunnerTest, ReportsWhatWentWhereOrWhyNothingDid) {
  auto line = testing::FakeCommLine::Make();
  Trs232c port(line->Factory());
  port.portname = "com2";
  TransferObserver observer;
  observer.wait = [](std::uint32_t) {};
  LinkRunner runner(port, observer);

  const LinkReport sent = runner.Transfer(EmptyProgram());
  EXPECT_TRUE(sent.ok);
  EXPECT_EQ(sent.status, QStringLiteral("16 ステップを COM2 に送信しました"));
  EXPECT_EQ(runner.Execute().status, QStringLiteral("実行命令を COM2 に送信しました"));

  port.close();
  line->open_error = {CommErrorKind::kNotFound, 2, "No such file or directory", "/dev/ttyUSB1"};
  for (const LinkReport& failed : {runner.Transfer(EmptyProgram()), runner.Execute()}) {
    EXPECT_FALSE(failed.ok);
    // The status line gives the cause in a few words; the box says what to
    // do, with the device and the system's text left to the details.
    EXPECT_EQ(failed.status, QStringLiteral("送信できませんでした: COM2 が見つかりません"));
    MessageBoxRequest box;
    SetMessageBoxFunction([&box](QWidget*, const MessageBoxRequest& request) { box = request; });
    ShowNoticeBox(nullptr, failed.notice);
    SetMessageBoxFunction({});
    EXPECT_EQ(box.text, QStringLiteral("シリアルポート COM2 が見つかりません。ケーブルとアダプタの接続を確かめてください。"));
    EXPECT_EQ(box.details, QStringLiteral("デバイス: /dev/ttyUSB1\nシステムの説明: No such file or directory (エラー番号 2)"));
  }
}

}  // namespace
}  // namespace vk47
