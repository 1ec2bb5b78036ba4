// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/update_reminder.h"

#include <cstdlib>

#include "shell/ui_texts.h"

namespace velmora {

void RunUpdateReminder(SettingsStore& settings, Clock& clock, Dialogs& dialogs, WebLinks& links) {
  // Without an update page "Yes" could open nothing: a build without one
  // (the Debian package, kept current by apt) never asks.
  if (links.addresses().update.empty()) return;
  const QDate today = clock.Today();
  const QString today_text = today.toString(Qt::ISODate);
  std::optional<QString> stored = settings.Read(kLastUpdateKey);
  QDate last = stored ? QDate::fromString(*stored, Qt::ISODate) : QDate();
  if (!last.isValid()) {  // first start: no reminder
    settings.Write(kLastUpdateKey, today_text);
    return;
  }
  // A date in the future (the clock was set back) counts the same.
  if (std::llabs(last.daysTo(today)) < kReminderDays) return;
  MessageAnswer answer = dialogs.ShowMessage(Utf8(Texts::tr("Do You Wish To Update The Software ?")), BoxTitle(),
                                             MessageIcon::Exclamation, MessageButtons::YesNo);
  if (answer == MessageAnswer::Yes) links.OpenUpdatePage();
  settings.Write(kLastUpdateKey, today_text);
}

}  // namespace velmora
