// The window application: creates the main window, then the progress window
// and the port settings dialog (both hidden), and runs the message loop until
// the main window closes. The program sheet's command line (`--sheet
// FILE.pt3 --pdf OUT.pdf`, sheet_command.h) writes a PDF with no window, and
// --help and --version (command_line.h) are answered before QApplication
// exists; neither needs a display. The variables the window reads (where the
// documents folder and the robots' records are, and two that only measure)
// are listed in vk47(1).
//
// Errors: Qt cannot carry an exception through its event loop, so the
// application's top-level error handling is the guard that every command
// handler runs in (RunGuarded/TForm1::RunCommand, ui/common/ErrorBox.h): a command's
// exception is shown in the error box and the program carries on.

#include <QApplication>
#include <iostream>
#include <memory>

#include "app/command_line.h"
#include "app/sheet_command.h"
#include "serial/port_resolver.h"
#if !defined(_WIN32)
#include <csignal>

#include "serial/comm_device_posix.h"
#endif
#include "settings/editor_setting.h"
#include "settings/port_mapping.h"
#include "settings/port_setting.h"
#include "settings/settings_folder.h"
#include "ui/common/Catalogue.h"
#include "ui/common/ErrorBox.h"
#include "ui/common/QtHandoff.h"
#include "ui/common/StartupTrace.h"
#include "ui/Setup.h"
#include "ui/common/Translation.h"
#include "ui/Unit1.h"
#include "ui/progresbar.h"

int main(int argc, char* argv[]) {
  vk47::MarkStartup("main");
  if (vk47::IsSheetCommand(argc, argv)) return vk47::RunSheetCommand(argc, argv);
  if (const auto status = vk47::AnswerCommandLine(argc, argv, std::cout, std::cerr)) return *status;
  QApplication app(argc, argv);
  vk47::MarkStartup("qapplication");
  QApplication::setApplicationName(QStringLiteral("vk47"));
  // The program ends when the main window closes, even while the progress
  // window is still shown.
  QApplication::setQuitOnLastWindowClosed(false);
  // Qt's dialogs and buttons in Japanese, like every text of the program.
  vk47::InstallQtJapanese(app);
  vk47::MarkStartup("translations");
  vk47::SetMessageBoxFunction({});
  // The documents folder comes from settings/'s own rule (no provider), the
  // one vk47ctl and vk47-robot use, so all read and write the same set.ini.
  // "com1".."com4" open the device that set.ini or the usual device names give.
  // Root acting for a pupil (a pupil's HOME) sends only where the pupil could.
  vk47::SetPortResolver([](const std::string& portname) {
    return vk47::OnlyWhatTheUserActedForMayOpen(vk47::ResolvePortDevice(portname, vk47::SettingsFilePath()));
  });
  vk47::InstallQtHandoff();
#if !defined(_WIN32)
  // Ended from outside (a logout, kill, Ctrl+C in the terminal that started
  // it), the window still gives the robot's device its settings back: a
  // terminal is not left raw at 9600.
  vk47::RestoreTerminalsOnSignals({SIGTERM, SIGHUP, SIGINT});
#endif
  // The hiragana mode, when a teacher or the 設定 menu chose it; its
  // catalogue is read only then.
  if (vk47::ReadKanaMode(vk47::SettingsFilePath())) vk47::SetKanaMode(true);

  vk47::MarkStartup("settings");
  auto form1 = std::make_unique<vk47::TForm1>();
  vk47::MarkStartup("form1");
  auto form2 = std::make_unique<vk47::TForm2>(form1.get());
  auto form3 = std::make_unique<vk47::TForm3>(form1.get());
  QObject::connect(form1.get(), &vk47::TForm1::Closed, &app, &QApplication::quit);
  vk47::MarkStartup("forms");
  form1->show();
  vk47::MarkStartup("show");
  vk47::FinishStartupTraceAfterFirstPaint(form1.get());
  const int result = QApplication::exec();
  form3.reset();
  form2.reset();
  form1.reset();
  return result;
}
