// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The ways the desktop asks the program to end besides closing its window:
// a signal (kill, Ctrl+C, a logout), the end of the session, and quit. Each
// leads to the window's close step, once; a run in progress is stopped
// first.
class QGuiApplication;

namespace velmora {

class CloseSignals;
class FrmMain;

void ConnectCloseRequests(QGuiApplication& app, FrmMain& window, CloseSignals& close_signals);

}  // namespace velmora
