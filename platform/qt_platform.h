// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The real implementations of the platform interfaces, over Qt.
#include <QCoreApplication>
#include <QLocale>
#include <QLockFile>

#include <memory>

#include "platform/platform.h"

namespace velmora {

class QtDialogs : public Dialogs {
 public:
  ChosenFiles ChooseFiles(const std::string& title) override;
  std::string ChooseFolder(const std::string& title) override;
  MessageAnswer ShowMessage(const std::string& text, const std::string& title, MessageIcon icon,
                            MessageButtons buttons) override;
  bool ShowMessageWithCheckBox(const std::string& text, const std::string& title, MessageIcon icon,
                               const std::string& check_box) override;
};

class QtShellOpener : public ShellOpener {
 public:
  void OpenAddress(const std::string& address) override;
  void OpenFile(const std::string& path, std::function<void()> failed) override;
};

class QtClock : public Clock {
 public:
  std::string ShortDateNow() override;
  std::string ShortTimeNow() override;
  QDate Today() override;
};

class QtSettingsStore : public SettingsStore {
 public:
  std::optional<QString> Read(const QString& key) override;
  bool Write(const QString& key, const QString& value) override;
};

// A lock file in the user's runtime folder. A copy that crashed leaves a
// lock whose process is gone; that lock counts as stale and is taken over.
class QtInstanceLock : public InstanceLock {
 public:
  explicit QtInstanceLock(QString lock_path = {});
  bool TryAcquire() override;
  void Release() override;
  bool Holds() const override { return lock_ && lock_->isLocked(); }

 private:
  QString path_;
  std::unique_ptr<QLockFile> lock_;
};

// Qt's own texts (the buttons of message boxes, the file dialog) in the
// user's language, from the Qt translations the system has installed. True
// when a translation was found. Velmora's own captions are not translated.
bool InstallQtTranslations(QCoreApplication& app, const QLocale& locale = QLocale());

// Closes every top-level window of the program (not menus or tool tips).
void CloseAllTopLevelWindows();

// The chooser's list of full paths as the add takes them.
ChosenFiles ChooserResult(const QStringList& paths);

// Paths as the file system spells them, and back.
std::string ToLocalPath(const QString& path);
QString FromLocalPath(const std::string& path);

}  // namespace velmora
