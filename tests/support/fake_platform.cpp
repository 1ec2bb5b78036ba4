// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/fake_platform.h"

namespace velmora {
namespace {
template <typename T>
T Next(std::deque<T>& queue, T fallback) {
  if (queue.empty()) return fallback;
  T value = queue.front();
  queue.pop_front();
  return value;
}
}  // namespace

ChosenFiles FakeDialogs::ChooseFiles(const std::string& title) {
  file_titles.push_back(title);
  return Next<ChosenFiles>(file_choices, {});
}

std::string FakeDialogs::ChooseFolder(const std::string& title) {
  folder_titles.push_back(title);
  return Next<std::string>(folder_choices, "");
}

MessageAnswer FakeDialogs::ShowMessage(const std::string& text, const std::string& title, MessageIcon icon,
                                       MessageButtons buttons) {
  messages.push_back({text, title, icon, buttons});
  if (while_shown) while_shown();
  if (buttons == MessageButtons::Ok) return MessageAnswer::Ok;
  return Next(answers, MessageAnswer::No);
}

bool FakeDialogs::ShowMessageWithCheckBox(const std::string& text, const std::string& title, MessageIcon icon,
                                          const std::string& check_box) {
  check_boxes[messages.size()] = check_box;
  ShowMessage(text, title, icon, MessageButtons::Ok);
  return Next(ticks, false);
}

void FakeShellOpener::OpenAddress(const std::string& address) {
  if (!address.empty()) addresses.push_back(address);
}
void FakeShellOpener::OpenFile(const std::string& path, std::function<void()> failed) {
  files.push_back(path);
  if (file_fails && failed) failed();
}

std::optional<QString> FakeSettingsStore::Read(const QString& key) {
  auto it = values.find(key);
  if (it == values.end()) return std::nullopt;
  return it->second;
}
bool FakeSettingsStore::Write(const QString& key, const QString& value) {
  if (cannot_write) return false;
  values[key] = value;
  return true;
}

}  // namespace velmora
