// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Read-only windows of the program's own, for what the desktop could not
// open: the report, and the user guide.
#include <QWidget>

#include <string>

namespace velmora {

// Both open centred over `parent`'s window and close with Close or Esc.

// The report file as plain text, monospaced, with a Close button. The text
// is read once, now.
QWidget* ShowReportWindow(QWidget* parent, const std::string& report_path);

// The user guide from `guide_path`, or the copy built into the program when
// that file cannot be read.
QWidget* ShowGuideWindow(QWidget* parent, const std::string& guide_path);

}  // namespace velmora
