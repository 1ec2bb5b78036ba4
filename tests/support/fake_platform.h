// SPDX-License-Identifier: GPL-3.0-or-later
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

// The program's boxes with OK alone: what was left or could not be taken,
// and what is refused.
inline ShownMessage Warning(const std::string& text) {
  return {text, "Velmora", MessageIcon::Exclamation, MessageButtons::Ok};
}
inline ShownMessage Refusal(const std::string& text) {
  return {text, "Velmora", MessageIcon::Critical, MessageButtons::Ok};
}

class FakeDialogs : public Dialogs {
 public:
  std::deque<ChosenFiles> file_choices;    // next results of ChooseFiles; none when empty
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

  ChosenFiles ChooseFiles(const std::string& title) override;
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
  bool file_fails = false;  // as on a desktop with no viewer set up
  void OpenAddress(const std::string& address) override;
  void OpenFile(const std::string& path, std::function<void()> failed) override;
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
  bool cannot_write = false;  // a settings file left to root, say
  std::optional<QString> Read(const QString& key) override;
  bool Write(const QString& key, const QString& value) override;
};

class FakeInstanceLock : public InstanceLock {
 public:
  bool other_copy_running = false;
  bool cannot_lock = false;  // no lock can be made: the copy starts unlocked
  bool held = false;
  int releases = 0;
  bool TryAcquire() override {
    held = !other_copy_running && !cannot_lock;
    return !other_copy_running;
  }
  void Release() override {
    held = false;
    ++releases;
  }
  bool Holds() const override { return held; }
};

class FakeHandOver : public HandOver {
 public:
  bool listening = false;
  bool running_copy_takes = true;  // what Send answers
  std::vector<std::vector<std::string>> sent;
  std::function<void(std::vector<std::string>)> receive;
  void Listen(std::function<void(std::vector<std::string>)> r) override {
    listening = true;
    receive = std::move(r);
  }
  void Close() override { listening = false; }
  bool Send(const std::vector<std::string>& paths) override {
    sent.push_back(paths);
    return running_copy_takes;
  }
  // What a second copy's hand-over does in the copy that listens.
  void Deliver(const std::vector<std::string>& paths) {
    if (listening && receive) receive(paths);
  }
};

// All fakes together, ready to hand to the window.
struct FakePlatform {
  FakeDialogs dialogs;
  FakeShellOpener shell;
  FakeClock clock;
  FakeSettingsStore settings;
  FakeInstanceLock instance;
  FakeHandOver hand_over;
  Platform platform() { return Platform{dialogs, shell, clock, settings, instance, hand_over}; }
};

}  // namespace velmora
