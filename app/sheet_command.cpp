#include "app/sheet_command.h"

#include <QDate>
#include <QGuiApplication>
#include <QString>
#include <QStringList>
#include <cstdio>
#include <cstring>
#include <optional>

#include "model/file_io.h"
#include "model/program_file.h"
#include "settings/editor_setting.h"
#include "settings/port_setting.h"
#include "settings/settings_folder.h"
#include "ui/common/Catalogue.h"
#include "ui/editor/ProgramSheet.h"

namespace vk47 {
namespace {

struct SheetArguments {
  QString program;
  QString pdf;
};

// Exactly --sheet FILE and --pdf OUT, in either order, each once.
std::optional<SheetArguments> ParseSheetArguments(const QStringList& arguments) {
  SheetArguments parsed;
  bool have_sheet = false, have_pdf = false;
  for (qsizetype i = 1; i < arguments.size(); ++i) {
    const bool sheet = arguments[i] == QLatin1String("--sheet"), pdf = arguments[i] == QLatin1String("--pdf");
    if ((!sheet && !pdf) || i + 1 >= arguments.size() || (sheet && have_sheet) || (pdf && have_pdf)) {
      return std::nullopt;
    }
    const QString value = arguments[++i];
    if (value.isEmpty()) return std::nullopt;
    (sheet ? parsed.program : parsed.pdf) = value;
    (sheet ? have_sheet : have_pdf) = true;
  }
  if (!have_sheet || !have_pdf) return std::nullopt;
  return parsed;
}

}  // namespace

bool IsSheetCommand(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--sheet") == 0 || std::strcmp(argv[i], "--pdf") == 0) return true;
  }
  return false;
}

int RunSheetCommand(int argc, char** argv) {
  // Fonts and painting need an application object, but no display: this
  // path never opens a window. The arguments are read from it, which has
  // them in Unicode on every system.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  // The sheet speaks as the window does: in hiragana when set.ini asks for
  // it. The settings folder is only looked at, never made, by this path.
  const std::string ini = SettingsFolderPathFor(DocumentsFolderPath()) + kSettingsFileName;
  if (ReadKanaMode(ini)) SetKanaMode(true);
  const std::optional<SheetArguments> args = ParseSheetArguments(QCoreApplication::arguments());
  if (!args) {
    std::fputs("使い方: vk47 --sheet FILE.pt3 --pdf OUT.pdf\n"
               "  プログラムファイルのプログラムシート (A4 1 ページ) を PDF に書き出します。\n",
               stderr);
    return 2;
  }
  const ProgramParse program = ReadProgramFile(PathFromText(args->program.toStdString()));
  if (!program.ok()) {
    std::fprintf(stderr, "vk47: %s\n", program.error.c_str());
    return 1;
  }
  const ProgramSheet sheet({args->program, QDate::currentDate(), *program.codes});
  const Notice failure = sheet.WritePdf(args->pdf);
  if (!failure.empty()) {
    // One line: the first, naming the file, and the system's reason.
    std::string line = Plain(failure.main.front());
    for (const Words& detail : failure.details) line += " " + Plain(detail);
    std::fprintf(stderr, "vk47: %s\n", line.c_str());
    return 1;
  }
  return 0;
}

}  // namespace vk47
