// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/close_requests.h"

#include <QGuiApplication>
#include <QSessionManager>

#include "platform/close_signals.h"
#include "shell/frm_main.h"

namespace velmora {

void ConnectCloseRequests(QGuiApplication& app, FrmMain& window, CloseSignals& close_signals) {
  QObject::connect(&close_signals, &CloseSignals::received, &window, &FrmMain::CloseRequested);
  // Qt asks programs not to end from here: the session may yet be
  // cancelled. Only the report goes; the close step follows on quit.
  QObject::connect(&app, &QGuiApplication::commitDataRequest, &window,
                   [&window](QSessionManager&) { window.SessionCommitting(); });
  QObject::connect(&app, &QCoreApplication::aboutToQuit, &window, &FrmMain::AboutToQuit);
}

}  // namespace velmora
