// The window's program commands with answered dialogs and a fake serial
// line: load and demo (progress, all-or-nothing), save, transfer, execute,
// and the hold-back of commands while a timed operation runs.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTextBlock>
#include <QTimer>
#include <cerrno>
#include <system_error>

#include "model/demo_program.h"
#include "model/program_file.h"
#include "ui/common/FileDialogs.h"
#include "ui/common/LogWhenSeen.h"
#include "ui/editor/TImage.h"
#include "ui/Unit1.h"
#include "ui/progresbar.h"
#include "ui_test_support.h"

namespace vk47 {
namespace {

const ProgramCodes kDemo = {36, 4, 84, 4, 36, 4, 84, 4, 20, 4, 68, 4, 52, 4, 100, 4};

class ProgramCommands : public ::testing::Test {
 protected:
  ProgramCommands() {
    sandbox.WriteAllIcons();
    form1 = std::make_unique<TForm1>(sandbox.Factory());
    form2 = std::make_unique<TForm2>(form1.get());
    // Each progress change is recorded with the counter shown at that moment.
    QObject::connect(form2->ProgressBar1, &QProgressBar::valueChanged, [this](int value) {
      progress.emplace_back(value, form2->Label2->text());
    });
  }
  ~ProgramCommands() override { SetFileDialogFunction({}); }

  // The next dialogs choose these files in turn; an empty name cancels.
  void AnswerDialogs(std::vector<QString> names) {
    SetFileDialogFunction([names, i = std::size_t{0}](QWidget*, TFileDialog& d) mutable {
      const QString name = i < names.size() ? names[i++] : QString();
      d.FileName = name;
      return !name.isEmpty();
    });
  }
  QString WriteFile(const QString& name, const QByteArray& bytes) {
    const QString path = sandbox.ImgFolder() + "/../" + name;
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    return path;
  }
  std::vector<std::uint8_t> Written() const {
    std::vector<std::uint8_t> bytes;
    for (const auto& call : sandbox.line->CallsOf("Write")) bytes.insert(bytes.end(), call.bytes.begin(), call.bytes.end());
    return bytes;
  }
  ProgramCodes Codes() const { return form1->StepSlots().Program().Codes(); }
  int LabelCount() const { return form1->findChildren<QLabel*>(QRegularExpression("^(Drop|ASCII)_Label")).size(); }

  testing::UiSandbox sandbox;
  std::unique_ptr<TForm1> form1;
  std::unique_ptr<TForm2> form2;
  std::vector<std::pair<int, QString>> progress;
};

TEST_F(ProgramCommands, DemoFillsEverySlotWithProgressAfterEachStep) {
  form2->SetCounter(7);  // left over from an earlier use
  form1->N2Click();
  EXPECT_EQ(Codes(), kDemo);
  EXPECT_EQ(LabelCount(), 32);
  EXPECT_EQ(form1->StepSlots().DropLabels[0]->text(), QStringLiteral("1秒"));
  EXPECT_EQ(form1->StepSlots().AsciiLabels[14]->text(), QStringLiteral("100"));
  EXPECT_EQ(form2->Label1->text(), QStringLiteral("読み込み中"));
  // The bar starts at 0 with the counter of the earlier use; the position
  // after slot i is set while the counter still shows i.
  std::vector<std::pair<int, QString>> expected = {{0, QStringLiteral("7")}};
  for (int i = 1; i < 16; ++i) expected.emplace_back(TForm2::ProgressForStep(i), QString::number(i));
  EXPECT_EQ(progress, expected);
  EXPECT_EQ(form2->Label2->text(), QStringLiteral("16"));
  EXPECT_FALSE(form2->isVisible());
}

TEST_F(ProgramCommands, DemoTwiceReleasesTheFirstLabelsOnce) {
  form1->N2Click();
  const QPointer<QLabel> first = form1->StepSlots().DropLabels[3];
  form1->N2Click();
  EXPECT_TRUE(first.isNull());
  EXPECT_EQ(LabelCount(), 32);
  EXPECT_EQ(Codes(), kDemo);
}

TEST_F(ProgramCommands, LoadReplacesTheProgramAndTreatsMinusZeroOneAsEmpty) {
  form1->N2Click();
  QByteArray text = "-01\n0\n208\n";
  for (int i = 3; i < 16; ++i) text += "-1\n";
  AnswerDialogs({WriteFile("lf.pt3", text)});
  form1->N1Click();
  ProgramCodes expected = EmptyProgram();
  expected[1] = 0;
  expected[2] = 208;
  EXPECT_EQ(Codes(), expected);
  EXPECT_TRUE(form1->StepSlots().DropLabels[0].isNull());
  EXPECT_EQ(form1->StepSlots().DropLabels[1]->text(), QStringLiteral("0秒"));
  EXPECT_EQ(form1->StepSlots().DropLabels[2]->text(), QString());
  EXPECT_EQ(LabelCount(), 4);
  EXPECT_TRUE(sandbox.boxes.empty());
}

struct BadLoad {
  const char* name;
  QByteArray text;
  int missing_icon;       // icon removed before loading, 0 for none
  const char* message;    // start of the error box text
};

class BadLoads : public ProgramCommands, public ::testing::WithParamInterface<BadLoad> {};

TEST_P(BadLoads, ShowTheMessageAndChangeNothing) {
  form1->N2Click();
  const QPointer<QLabel> label = form1->StepSlots().DropLabels[15];
  if (GetParam().missing_icon) sandbox.RemoveIcon(GetParam().missing_icon);
  AnswerDialogs({WriteFile("bad.pt3", GetParam().text)});
  progress.clear();
  form1->RunCommand([this] { form1->N1Click(); });
  ASSERT_EQ(sandbox.boxes.size(), 1u);
  EXPECT_EQ(sandbox.boxes[0].icon, QMessageBox::Critical);
  EXPECT_TRUE(sandbox.boxes[0].text.startsWith(QString::fromUtf8(GetParam().message)))
      << sandbox.boxes[0].text.toStdString();
  EXPECT_EQ(Codes(), kDemo);
  EXPECT_FALSE(label.isNull()) << "labels are kept";
  EXPECT_EQ(LabelCount(), 32);
  EXPECT_FALSE(form2->isVisible());
}

QByteArray Lines(int count, const char* line = "4") {
  QByteArray text;
  for (int i = 0; i < count; ++i) text += QByteArray(line) + "\r\n";
  return text;
}

INSTANTIATE_TEST_SUITE_P(
    Files, BadLoads,
    ::testing::Values(
        BadLoad{"Fifteen", Lines(15), 0, "リストのインデックスが範囲を超えています (15)"},
        BadLoad{"Empty", QByteArray(), 0, "リストのインデックスが範囲を超えています (0)"},
        BadLoad{"NotInteger", "4\r\nfour\r\n" + Lines(14), 0, "'four' は整数ではありません"},
        BadLoad{"NoStepCode", Lines(15) + "300\r\n", 0, "16 行目の値 300 はロボットの命令ではありません"},
        BadLoad{"Binary", QByteArray("\x01\x02\xff\xfe", 4), 0, "このファイルは文字で書かれていません (バイナリファイル)"},
        BadLoad{"MissingIcon", "84\r\n" + Lines(15), 6, "ファイル "},
        BadLoad{"NulEndsTheText", Lines(10) + QByteArray(1, '\0') + Lines(10), 0,
                "リストのインデックスが範囲を超えています (10)"},
        BadLoad{"VeryLongLine", QByteArray(100000, '7') + "\r\n" + Lines(15), 0, "'7777"},
        BadLoad{"NegativeCode", "-2\r\n" + Lines(15), 0, "1 行目の値 -2 はロボットの命令ではありません"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ProgramCommands, CancelledLoadLeavesEveryCodePictureAndLabel) {
  form1->N2Click();
  const QPointer<QLabel> label = form1->StepSlots().DropLabels[0];
  const QImage picture = form1->StepSlots().SlotPicture(0)->Picture().toImage();
  AnswerDialogs({});
  form1->N1Click();
  EXPECT_EQ(Codes(), kDemo);
  EXPECT_FALSE(label.isNull());
  EXPECT_EQ(form1->StepSlots().SlotPicture(0)->Picture().toImage(), picture);
  EXPECT_FALSE(form2->isVisible());
}

TEST_F(ProgramCommands, SaveWritesSixteenCrLfLinesAndLoadsBack) {
  form1->N2Click();
  const QString path = sandbox.ImgFolder() + "/../demo.pt3";
  AnswerDialogs({path});
  form1->Save1Click();
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll().toStdString(), ProgramFileText(kDemo));

  form1->N3Click();
  AnswerDialogs({path});
  form1->N1Click();
  EXPECT_EQ(Codes(), kDemo);

  AnswerDialogs({sandbox.ImgFolder() + "/no-such-folder/x.pt3"});
  form1->RunCommand([this] { form1->Save1Click(); });
  ASSERT_EQ(sandbox.boxes.size(), 1u);
  EXPECT_TRUE(sandbox.boxes[0].text.contains(QStringLiteral("を作成できません")));
}

// A refused load or save: the fixed first line, then what it means for the
// pupil; the line, the value, the file and the system's reason behind
// くわしく. No byte of a binary file is shown.
TEST_F(ProgramCommands, FileErrorBoxesSayWhatHappenedAndKeepTheDetailsForATeacher) {
  struct Row {
    const char* name;
    QString path;
    QString text;        // the box's text
    QString details;     // a line the details hold
    QString status;      // the status line's start
  };
  const QString folder = QDir::cleanPath(sandbox.ImgFolder() + "/..");
  const std::vector<Row> rows = {
      {"short", WriteFile("short.pt3", Lines(3)),
       QStringLiteral("リストのインデックスが範囲を超えています (3)\nファイルが短すぎます (3 行しかありません)。"),
       QStringLiteral("プログラムのファイルは 16 行で"), QStringLiteral("読み込めませんでした (ファイルが短すぎます)")},
      {"text", WriteFile("hello.txt", "こんにちは\r\nせかい\r\n"),
       QStringLiteral("'こんにちは' は整数ではありません.\nこのファイルはロボットのプログラムではありません。"),
       QStringLiteral("1 行目: 'こんにちは'"), QStringLiteral("読み込めませんでした (ロボットのプログラムではありません)")},
      {"binary", WriteFile("picture.png", QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)),
       QStringLiteral("このファイルは文字で書かれていません (バイナリファイル)\nこのファイルはロボットのプログラムではありません。"),
       QStringLiteral("1 行目のはじめのバイト (16 進数): 89 50 4E 47"), QStringLiteral("読み込めませんでした (バイナリファイルです)")},
      {"folder", folder,
       QStringLiteral("ファイル %1 は開けません.\nこれはファイルではありません (フォルダか装置です)。").arg(folder), QString(),
       QStringLiteral("読み込めませんでした (ファイルではありません)")},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    sandbox.boxes.clear();
    AnswerDialogs({row.path});
    form1->RunCommand([this] { form1->N1Click(); });
    ASSERT_EQ(sandbox.boxes.size(), 1u);
    EXPECT_EQ(sandbox.boxes[0].text, row.text);
    EXPECT_TRUE(sandbox.boxes[0].details.contains(row.details)) << sandbox.boxes[0].details.toStdString();
    if (row.path != folder) {
      EXPECT_TRUE(sandbox.boxes[0].details.startsWith(QStringLiteral("ファイル: ") + row.path));
    }
    EXPECT_TRUE(form1->statusBar()->currentMessage().startsWith(row.status))
        << form1->statusBar()->currentMessage().toStdString();
    for (const QChar c : sandbox.boxes[0].text + sandbox.boxes[0].details) {
      EXPECT_TRUE(c == u'\n' || (c.isPrint() && c != QChar::ReplacementCharacter)) << int(c.unicode());
    }
  }

#if !defined(_WIN32)
  // A file the system refuses to open: its own reason for the teacher.
  const QString loop = folder + "/loop.pt3";
  ASSERT_TRUE(QFile::link("loop.pt3", loop));
  sandbox.boxes.clear();
  AnswerDialogs({loop});
  form1->RunCommand([this] { form1->N1Click(); });
  ASSERT_EQ(sandbox.boxes.size(), 1u);
  EXPECT_EQ(sandbox.boxes[0].text,
            QStringLiteral("ファイル %1 は開けません.\nファイルを読み込めませんでした。先生に知らせてください。").arg(loop));
  EXPECT_EQ(sandbox.boxes[0].details,
            QStringLiteral("システムの説明: %1 (エラー番号 %2)")
                .arg(QString::fromStdString(std::error_code(ELOOP, std::system_category()).message()))
                .arg(ELOOP));
#endif

  // A save into a folder that is not there says why and what to do.
  form1->N2Click();
  const QString nowhere = folder + "/no-such-folder/x.pt3";
  sandbox.boxes.clear();
  AnswerDialogs({nowhere});
  form1->RunCommand([this] { form1->Save1Click(); });
  ASSERT_EQ(sandbox.boxes.size(), 1u);
  EXPECT_EQ(sandbox.boxes[0].text, QStringLiteral("ファイル %1 を作成できません.\n保存先のフォルダがありません。\n"
                                                  "別の名前にするか、別のフォルダ (ドキュメントなど) に保存してください。")
                                       .arg(QDir::toNativeSeparators(nowhere)));
  EXPECT_TRUE(sandbox.boxes[0].details.startsWith(QStringLiteral("システムの説明: "))) << sandbox.boxes[0].details.toStdString();
  EXPECT_TRUE(form1->statusBar()->currentMessage().startsWith(QStringLiteral("保存できませんでした (フォルダがありません)")));
}

TEST_F(ProgramCommands, TransferSendsTheFrameLogsAndShowsProgress) {
  form1->N2Click();
  progress.clear();
  sandbox.line->ClearCalls();
  const int memo_lines = form1->Memo1->document()->blockCount();
  form1->Button1Click();
  std::vector<std::uint8_t> expected = {0x74};
  expected.insert(expected.end(), kDemo.begin(), kDemo.end());
  EXPECT_EQ(Written(), expected);
  // The log is out of sight in the normal window: its lines wait, in order,
  // and are there once the maximised window shows it.
  EXPECT_EQ(form1->Memo1->document()->blockCount(), memo_lines);
  EXPECT_EQ(form1->MemoLog().Pending().size(), 16);
  form1->showMaximized();
  QApplication::processEvents();
  ASSERT_TRUE(form1->Memo1->isVisible());
  EXPECT_TRUE(form1->MemoLog().Pending().isEmpty());
  EXPECT_EQ(form1->Memo1->document()->blockCount(), memo_lines + 16);
  EXPECT_EQ(form1->Memo1->document()->findBlockByNumber(memo_lines).text(), QStringLiteral("36"));
  EXPECT_EQ(form1->Memo1->document()->lastBlock().text(), QStringLiteral("4"));
  EXPECT_EQ(form2->Label1->text(), QStringLiteral("プログラム転送中"));
  EXPECT_EQ(form2->ProgressBar1->value(), 94);
  EXPECT_EQ(form2->Label2->text(), QStringLiteral("16"));
  EXPECT_FALSE(form2->isVisible());
  EXPECT_TRUE(sandbox.boxes.empty());

  form1->Button1Click();  // seen: each line goes in as it is sent
  EXPECT_TRUE(form1->MemoLog().Pending().isEmpty());
  EXPECT_EQ(form1->Memo1->document()->blockCount(), memo_lines + 32);

  sandbox.line->ClearCalls();
  form1->Button2Click();
  EXPECT_EQ(Written(), std::vector<std::uint8_t>{0x78});
}

TEST_F(ProgramCommands, TransferToAPortThatCannotOpenSaysSoAndSendsNothing) {
  form1->rs232c.close();
  sandbox.line->open_error = {CommErrorKind::kNotFound, 2, "No such file or directory", "/dev/ttyUSB0"};
  sandbox.line->ClearCalls();
  form1->RunCommand([this] { form1->N5Click(); });
  form1->RunCommand([this] { form1->N6Click(); });
  ASSERT_EQ(sandbox.boxes.size(), 2u);
  EXPECT_TRUE(sandbox.boxes[0].text.contains(QStringLiteral("COM1")));
  EXPECT_TRUE(sandbox.boxes[0].text.contains(QStringLiteral("見つかりません")));
  EXPECT_TRUE(Written().empty());
  EXPECT_FALSE(form2->isVisible());
}

TEST_F(ProgramCommands, CommandsAreHeldBackWhileATransferRuns) {
  form1->N2Click();
  sandbox.line->ClearCalls();
  // Mid-transfer: a clear (Ctrl+C), a second transfer and a demo arrive.
  QTimer::singleShot(350, form1.get(), [this] {
    form1->N3->trigger();
    form1->N5->trigger();
    form1->Button2->click();
  });
  form1->N5Click();
  EXPECT_EQ(Codes(), kDemo);
  EXPECT_EQ(Written().size(), 17u) << "no interleaved bytes";
  // Afterwards commands work again.
  form1->N3->trigger();
  EXPECT_EQ(Codes(), EmptyProgram());
}

}  // namespace
}  // namespace vk47
