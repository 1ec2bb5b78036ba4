// SPDX-License-Identifier: GPL-3.0-or-later
// GoogleTest main for widget tests: one offscreen QApplication for all.
#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/lease_signal.h"

int main(int argc, char** argv) {
  velmora::IgnoreLeaseBreakSignal();  // before any thread: see platform/lease_signal.h
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  // Closing a test's window must not end the test program.
  QApplication::setQuitOnLastWindowClosed(false);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
