// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The words of the free-space wipe: the chooser's title, the question, the
// refusals, the progress label and the outcome. One place maps the
// engine's codes to text.
#include <cstdint>
#include <string>

#include "freespace/free_space_wipe.h"
#include "fs/ui_text.h"

namespace velmora {

inline constexpr const char* kFreeSpaceChooserTitle = VELMORA_UI_TEXT("Velmora", "Choose A Folder On The Disk To Wipe");

// Sizes in binary units, as file managers on Linux show them: "1 byte",
// "512 bytes", then KiB, MiB, GiB, TiB, PiB, EiB with one decimal rounded
// half up, a ".0" left out ("1 KiB", "1.5 GiB", "512 KiB"). A value that
// rounds to 1024 of a unit is shown as 1 of the next.
std::string HumanSize(std::uint64_t bytes, const TextLookup& words = English);

// Each in English unless `words` looks the texts up in another language.
std::string FreeSpaceQuestion(const std::string& folder, const TextLookup& words = English);
std::string FreeSpaceRefusalText(FreeSpaceRefusal refusal, const std::string& folder, int error,
                                 const TextLookup& words = English);
std::string FreeSpaceProgressText(const std::string& mount_point, const TextLookup& words = English);

// The reason in brackets for a partial wipe ("" for a whole one), English.
std::string FreeSpaceReason(FreeSpaceEnd end);

// The box at the end: the outcome (partial, with the fill's path and why,
// whenever the fill stays), then a line each for space the file system held
// back, old copies the disk may keep (`old_copies`: the storage's reason,
// "" for none), and a fill that could not be removed.
std::string FreeSpaceOutcomeText(const std::string& mount_point, const FreeSpaceResult& result,
                                 const std::string& old_copies, const std::string& fill_path,
                                 const TextLookup& words = English);

}  // namespace velmora
