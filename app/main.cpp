// SPDX-License-Identifier: GPL-3.0-or-later
// Velmora: pick files or a folder, shred them.
#include <QApplication>
#include <QTimer>

#include "cli/cli_run.h"
#include "platform/close_signals.h"
#include "platform/lease_signal.h"
#include "platform/qt_hand_over.h"
#include "platform/qt_platform.h"
#include "shell/close_requests.h"
#include "shell/command_line.h"
#include "shell/frm_main.h"
#include "shell/outcome_box.h"
#include "shell/path_intake.h"
#include "shell/settings_record.h"
#include "shell/storage_notice.h"
#include "shredlist/given_paths.h"

namespace {

// --shred and --wipe-free-space: no application object, no display, no
// event loop. Only the free-space fill's record is kept in the settings,
// so either kind of start removes a fill a killed run left.
int RunWithoutWindow(const velmora::CliCommand& command) {
  velmora::QtSettingsStore settings;
  velmora::SettingsRecord fill_record(settings, velmora::kFreeSpaceFillKey);
  const velmora::ReasonTexts texts{velmora::OutcomeReason, velmora::StorageReason, velmora::kStorageHeading};
  return velmora::RunCli(command, texts, fill_record);
}

}  // namespace

int main(int argc, char** argv) {
  // Before any thread: a file's write lease, broken by another program that
  // opens it mid-shred, must not end the program.
  velmora::IgnoreLeaseBreakSignal();
  const velmora::CliCommand cli = velmora::ParseCliCommand(argc, argv);
  if (cli.action != velmora::CliCommand::Action::None) return RunWithoutWindow(cli);
  // --help and --version are answered before anything needs a display.
  const velmora::CommandLine command = velmora::ParseCommandLine(argc, argv);
  if (command.action != velmora::CommandLine::Action::Run) return velmora::FinishWithoutWindow(command);

  int qt_argc = velmora::QtArgumentCount(argc, argv);
  QApplication app(qt_argc, argv);
  QApplication::setOrganizationName("Velmora");
  QApplication::setApplicationName("Velmora");
  velmora::InstallQtTranslations(app);

  velmora::QtDialogs dialogs;
  velmora::QtShellOpener shell;
  velmora::QtClock clock;
  velmora::QtSettingsStore settings;
  velmora::QtInstanceLock instance;
  velmora::QtHandOver hand_over;
  velmora::Platform platform{dialogs, shell, clock, settings, instance, hand_over};

  velmora::CloseSignals close_signals;
  velmora::FrmMain window(platform, velmora::ReadAppEnvironment());
  velmora::ConnectCloseRequests(app, window, close_signals);
  // A copy that already runs gets the paths made absolute here: its working
  // folder is not ours.
  std::vector<std::string> absolute;
  for (const std::string& path : command.paths)
    absolute.push_back(velmora::AbsolutePath(path, velmora::CurrentFolder()));
  if (!window.StartUp(absolute)) return 0;
  window.show();
  // Paths given are added once the window is up, so their messages have it behind them.
  QTimer::singleShot(0, &window, [&] {
    velmora::OpenListWithPaths(window, window.dialogs(), command.paths, velmora::CurrentFolder());
  });
  return app.exec();
}
