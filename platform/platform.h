// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The thin layer between Velmora and the desktop: dialogs, message boxes, the
// shell opener, the clock, the settings store and the single-instance lock.
// The window talks only to these interfaces; tests hand it fakes.
#include <QDate>
#include <QString>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/chosen_files.h"

namespace velmora {

enum class MessageIcon { Critical, Exclamation, Information };
// YesNoDefaultNo: Yes and No, with No the default (Enter, Escape).
enum class MessageButtons { Ok, YesNo, YesNoDefaultNo };
enum class MessageAnswer { Ok, Yes, No };

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // A modal chooser of one or several files (nothing when cancelled).
  virtual ChosenFiles ChooseFiles(const std::string& title) = 0;
  // A modal folder chooser: a full path without a trailing "/" (except "/"),
  // or "" when cancelled.
  virtual std::string ChooseFolder(const std::string& title) = 0;
  // A modal message box; waits for the answer.
  virtual MessageAnswer ShowMessage(const std::string& text, const std::string& title, MessageIcon icon,
                                    MessageButtons buttons) = 0;
  // A modal message box with the OK button and one check box, captioned
  // `check_box`, under its text; true when the box was ticked as it closed.
  virtual bool ShowMessageWithCheckBox(const std::string& text, const std::string& title, MessageIcon icon,
                                       const std::string& check_box) = 0;
};

// Hands an address or a local file to the user's default application. The
// outcome of an address is not reported: callers ignore it by design.
class ShellOpener {
 public:
  virtual ~ShellOpener() = default;
  virtual void OpenAddress(const std::string& address) = 0;
  // `failed` runs, later and on the window's thread, when no application
  // took the file (none is set up, or the opener failed).
  virtual void OpenFile(const std::string& path, std::function<void()> failed) = 0;
};

// The system clock, with the user's short date and time formats.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual std::string ShortDateNow() = 0;
  virtual std::string ShortTimeNow() = 0;
  virtual QDate Today() = 0;
};

// One per-user settings store.
class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  virtual std::optional<QString> Read(const QString& key) = 0;
  // False when the value could not be stored (a settings file that cannot
  // be written: a full disk, one left to another user).
  virtual bool Write(const QString& key, const QString& value) = 0;
};

// "Is another copy of the program running for this user?"
class InstanceLock {
 public:
  virtual ~InstanceLock() = default;
  // True when this copy is the only one (and now holds the lock).
  virtual bool TryAcquire() = 0;
  // Lets the next copy start; the program is about to end.
  virtual void Release() = 0;
  // True while this copy really holds the lock (TryAcquire also lets a copy
  // start when no lock can be made at all).
  virtual bool Holds() const = 0;
};

// Paths a second copy of the program hands to the copy that already runs.
class HandOver {
 public:
  virtual ~HandOver() = default;
  // The running copy, once it holds the instance lock: takes hand-overs from
  // now on. `receive` runs on the window's thread, once per second start.
  virtual void Listen(std::function<void(std::vector<std::string>)> receive) = 0;
  // Takes no more; called before the instance lock is released.
  virtual void Close() = 0;
  // A second copy: true when the running copy took `paths`.
  virtual bool Send(const std::vector<std::string>& paths) = 0;
};

struct Platform {
  Dialogs& dialogs;
  ShellOpener& shell;
  Clock& clock;
  SettingsStore& settings;
  InstanceLock& instance;
  HandOver& hand_over;
};

}  // namespace velmora
