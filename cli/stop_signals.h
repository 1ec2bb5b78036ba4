// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// SIGINT, SIGTERM and SIGHUP during a run without a window: each acts as
// Stop. The handler only records the signal (async-signal-safe); the run's
// stop check reads it between two writes. Once the run has said what was
// left, the program ends by that same signal, so the shell sees 130, 143 or
// 129 as after any program a signal ended.
namespace velmora {

// Installs the handlers (with SA_RESTART: a call in progress finishes, the
// next stop check ends the run); one ignored at start stays ignored. False
// when one could not be installed.
bool CatchStopSignals();

// The first stop signal caught since CatchStopSignals, or 0.
int CaughtStopSignal();

// Ends the process by `signal` with its default action. Returns only if
// that did not end it, with the status a shell gives for it.
int EndBySignal(int signal);

}  // namespace velmora
