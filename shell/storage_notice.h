// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The warning box after a run: what could not be shredded, then what was
// shredded onto storage that may keep old copies. Flash is common, so its
// lines can be silenced drive by drive, with one check box; the other
// reasons are always told.
#include <set>
#include <string>
#include <vector>

#include "engine/item_outcome.h"
#include "engine/shred_options.h"
#include "fs/storage_class.h"
#include "fs/ui_text.h"
#include "platform/platform.h"
#include "run/shred_run.h"

namespace velmora {

inline constexpr const char* kStorageHeading =
    VELMORA_UI_TEXT("Velmora", "Shredded, but the disk may keep old copies:");
inline constexpr const char* kQuietFlashCheckBox = VELMORA_UI_TEXT("Velmora", "Don't tell me again for these drives");

// The bracketed reason for a shredded item's storage ("" for None).
std::string StorageReason(StorageRisk risk);

struct StorageSection {
  // The heading and a line per item ("<path> (<reason>)"), in list order;
  // "" when no shredded item's storage needs one.
  std::string text;
  // The identities of the flash drives its lines name and the user has
  // not silenced yet (drives without one cannot be silenced).
  std::vector<std::string> flash_drives;
};

// Lines for shredded items only. A flash line goes when every drive it
// names is in `quiet`.
StorageSection StorageSectionFor(const ShredList& items, const std::vector<ItemOutcome>& outcomes,
                                 const std::vector<StorageClass>& storage, const std::set<std::string>& quiet,
                                 const TextLookup& words = English);

// The flash drives the user asked not to be told of again, kept in the
// settings store as `QuietFlashDrives`, one identity a line.
std::set<std::string> QuietFlashDrives(SettingsStore& settings);
void AddQuietFlashDrives(SettingsStore& settings, const std::vector<std::string>& drives);

// Shows the warning box for a finished run when either section has a line:
// the items left first, a blank line, then the storage section. The check
// box is offered when the box names a flash drive with an identity.
void ShowRunOutcome(Dialogs& dialogs, SettingsStore& settings, const ShredList& items,
                    const ShredRunResult& result);

}  // namespace velmora
