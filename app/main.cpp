// Velmora: pick files or a folder, shred them.
#include <QApplication>

#include "platform/close_signals.h"
#include "platform/qt_platform.h"
#include "shell/close_requests.h"
#include "shell/frm_main.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setOrganizationName("Velmora");
  QApplication::setApplicationName("Velmora");

  velmora::QtDialogs dialogs;
  velmora::QtShellOpener shell;
  velmora::QtClock clock;
  velmora::QtSettingsStore settings;
  velmora::QtInstanceLock instance;
  velmora::Platform platform{dialogs, shell, clock, settings, instance};

  velmora::CloseSignals close_signals;
  velmora::FrmMain window(platform, velmora::ReadAppEnvironment());
  velmora::ConnectCloseRequests(app, window, close_signals);
  if (!window.Form_Load()) return 0;
  window.show();
  return app.exec();
}
