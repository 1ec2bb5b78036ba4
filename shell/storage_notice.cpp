// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/storage_notice.h"

#include <QStringList>

#include "shell/outcome_box.h"

namespace velmora {
namespace {

constexpr const char* kTitle = "Velmora";
const QString kQuietKey = QStringLiteral("QuietFlashDrives");

// A flash line goes when every drive it names was silenced; a drive
// without an identity ("") never is.
bool Silenced(const StorageClass& storage, const std::set<std::string>& quiet) {
  if (storage.risk != StorageRisk::Flash || storage.drives.empty()) return false;
  for (const std::string& drive : storage.drives)
    if (quiet.count(drive) == 0) return false;
  return true;
}

}  // namespace

std::string StorageReason(StorageRisk risk) {
  switch (risk) {
    case StorageRisk::None: return "";
    case StorageRisk::Flash: return "(flash storage)";
    case StorageRisk::DataJournal: return "(data journaled by ext4)";
    case StorageRisk::CopyOnWrite: return "(copy-on-write file system)";
    case StorageRisk::Overlay: return "(overlay: the original may stay in a lower layer)";
    case StorageRisk::UserSpace: return "(user-space file system)";
    case StorageRisk::Network: return "(network file system)";
  }
  return "";
}

StorageSection StorageSectionFor(const ShredList& items, const std::vector<ItemOutcome>& outcomes,
                                 const std::vector<StorageClass>& storage, const std::set<std::string>& quiet) {
  StorageSection section;
  std::string lines;
  for (std::size_t i = 0; i < items.size() && i < outcomes.size() && i < storage.size(); ++i) {
    if (outcomes[i] != ItemOutcome::Shredded || storage[i].risk == StorageRisk::None) continue;
    if (Silenced(storage[i], quiet)) continue;
    lines += "\n" + items[i].path + " " + StorageReason(storage[i].risk);
    if (storage[i].risk != StorageRisk::Flash) continue;
    for (const std::string& drive : storage[i].drives) {
      bool named = false;
      for (const std::string& seen : section.flash_drives) named = named || seen == drive;
      if (!drive.empty() && !named && quiet.count(drive) == 0) section.flash_drives.push_back(drive);
    }
  }
  if (!lines.empty()) section.text = kStorageHeading + lines;
  return section;
}

std::set<std::string> QuietFlashDrives(SettingsStore& settings) {
  std::set<std::string> drives;
  for (const QString& drive : settings.Read(kQuietKey).value_or(QString()).split('\n', Qt::SkipEmptyParts))
    drives.insert(drive.toStdString());
  return drives;
}

void AddQuietFlashDrives(SettingsStore& settings, const std::vector<std::string>& drives) {
  std::set<std::string> quiet = QuietFlashDrives(settings);
  quiet.insert(drives.begin(), drives.end());
  QStringList lines;
  for (const std::string& drive : quiet) lines << QString::fromStdString(drive);
  settings.Write(kQuietKey, lines.join('\n'));
}

void ShowRunOutcome(Dialogs& dialogs, SettingsStore& settings, const ShredList& items,
                    const ShredRunResult& result) {
  const std::string left = OutcomeBoxText(items, result);
  const StorageSection storage = StorageSectionFor(items, result.outcomes, result.storage, QuietFlashDrives(settings));
  std::string text = left;
  if (!left.empty() && !storage.text.empty()) text += "\n\n";
  text += storage.text;
  if (text.empty()) return;
  if (storage.flash_drives.empty()) {
    dialogs.ShowMessage(text, kTitle, MessageIcon::Exclamation, MessageButtons::Ok);
    return;
  }
  if (dialogs.ShowMessageWithCheckBox(text, kTitle, MessageIcon::Exclamation, kQuietFlashCheckBox))
    AddQuietFlashDrives(settings, storage.flash_drives);
}

}  // namespace velmora
