// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Once per start: fifteen days or more since the last reminder, ask whether to
// look for a newer version.
#include "platform/platform.h"
#include "shell/web_links.h"

namespace velmora {

inline constexpr const char* kLastUpdateKey = "LastUpdate";
inline constexpr int kReminderDays = 15;

// Runs the reminder. The date is stored as yyyy-MM-dd, so a change of locale
// cannot make it unreadable; a value that does not read as a date counts as
// absent. A build without an update address never reminds and stores nothing.
void RunUpdateReminder(SettingsStore& settings, Clock& clock, Dialogs& dialogs, WebLinks& links);

}  // namespace velmora
