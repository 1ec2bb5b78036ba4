#pragma once
// Fakes of the platform interfaces for tests: scripted choosers and answers,
// a recording shell opener, a settable clock, an in-memory settings store.
// Nothing here ever opens a real dialog or a browser.
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace velmora {

struct ShownMessage {
  std::string text;
  std::string title;
  MessageIcon icon;
  MessageButtons buttons;
  bool operator==(const ShownMessage&) const = default;
};

class FakeDialogs : public Dialogs {
 public:
  std::deque<std::string> file_choices;    // next results of ChooseFiles; "" when empty
  std::deque<std::string> folder_choices;  // next results of ChooseFolder
  std::deque<MessageAnswer> answers;       // Yes/No answers; No when empty
  std::vector<std::string> file_titles;
  std::vector<std::string> folder_titles;
  std::vector<ShownMessage> messages;
  std::function<void()> while_shown;  // runs inside each ShowMessage
  // The check box of each message that had one, by its place in `messages`,
  // and whether the user ticks the next ones (not when empty).
  std::map<std::size_t, std::string> check_boxes;
  std::deque<bool> ticks;

  std::string ChooseFiles(const std::string& title) override;
  std::string ChooseFolder(const std::string& title) override;
  MessageAnswer ShowMessage(const std::string& text, const std::string& title, MessageIcon icon,
                            MessageButtons buttons) override;
  bool ShowMessageWithCheckBox(const std::string& text, const std::string& title, MessageIcon icon,
                               const std::string& check_box) override;
};

class FakeShellOpener : public ShellOpener {
 public:
  std::vector<std::string> addresses;
  std::vector<std::string> files;
  void OpenAddress(const std::string& address) override;
  void OpenFile(const std::string& path) override;
};

class FakeClock : public Clock {
 public:
  QDate today{2026, 12, 7};
  std::string date_text = "07/12/2026";
  std::string time_text = "09:41";
  std::string ShortDateNow() override { return date_text; }
  std::string ShortTimeNow() override { return time_text; }
  QDate Today() override { return today; }
};

class FakeSettingsStore : public SettingsStore {
 public:
  std::map<QString, QString> values;
  std::optional<QString> Read(const QString& key) override;
  bool Write(const QString& key, const QString& value) override;
};

class FakeInstanceLock : public InstanceLock {
 public:
  bool other_copy_running = false;
  bool held = false;
  int releases = 0;
  bool TryAcquire() override { return held = !other_copy_running; }
  void Release() override {
    held = false;
    ++releases;
  }
};

// All fakes together, ready to hand to the window.
struct FakePlatform {
  FakeDialogs dialogs;
  FakeShellOpener shell;
  FakeClock clock;
  FakeSettingsStore settings;
  FakeInstanceLock instance;
  Platform platform() { return Platform{dialogs, shell, clock, settings, instance}; }
};

}  // namespace velmora
