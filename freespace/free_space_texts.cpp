// SPDX-License-Identifier: GPL-3.0-or-later
#include "freespace/free_space_texts.h"

#include <cmath>
#include <system_error>

namespace velmora {
namespace {

// strerror's text, from a call that may run beside others.
std::string ErrorText(int error) { return std::generic_category().message(error); }

}  // namespace

std::string HumanSize(std::uint64_t bytes) {
  if (bytes < 1024) return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
  static const char* const kUnits[] = {"KiB", "MiB", "GiB", "TiB", "PiB", "EiB"};
  constexpr std::size_t kLast = sizeof kUnits / sizeof kUnits[0] - 1;
  std::size_t unit = 0;
  long double value = static_cast<long double>(bytes) / 1024;
  while (value >= 1024 && unit < kLast) {
    value /= 1024;
    ++unit;
  }
  auto tenths = static_cast<std::uint64_t>(std::floor(value * 10 + 0.5L));
  if (tenths >= 10240 && unit < kLast) {
    tenths = 10;
    ++unit;
  }
  std::string text = std::to_string(tenths / 10);
  if (tenths % 10 != 0) text += "." + std::to_string(tenths % 10);
  return text + " " + kUnits[unit];
}

std::string FreeSpaceQuestion(const std::string& folder) {
  return "Wipe the free space of the disk that holds " + folder +
         "?\n\nVelmora fills every free block of that file system with its pattern, forces it to the disk and "
         "removes the fill again. The disk is full for a while; other programs writing to it may fail until it "
         "ends. This may take long.";
}

std::string FreeSpaceRefusalText(FreeSpaceRefusal refusal, const std::string& folder, int error) {
  switch (refusal) {
    case FreeSpaceRefusal::None: return {};
    case FreeSpaceRefusal::CannotOpen:
      return folder + " cannot be opened (" + ErrorText(error) + "): its free space was not wiped.";
    case FreeSpaceRefusal::ReadOnly:
      return "The disk that holds " + folder + " is mounted read-only: its free space cannot be wiped.";
    case FreeSpaceRefusal::NotWritable:
      return "You cannot create files in " + folder +
             ": Velmora cannot wipe the free space of its disk from there.";
    case FreeSpaceRefusal::CannotCreate:
      return "Velmora could not create its fill folder in " + folder + " (" + ErrorText(error) +
             "): the free space was not wiped.";
  }
  return {};
}

std::string FreeSpaceProgressText(const std::string& mount_point) { return "Wiping free space on " + mount_point; }

std::string FreeSpaceReason(FreeSpaceEnd end) {
  switch (end) {
    case FreeSpaceEnd::Wiped: return {};
    case FreeSpaceEnd::Stopped: return "(stopped)";
    case FreeSpaceEnd::ReservedNotReached: return "(the space reserved for the administrator was not reached)";
    case FreeSpaceEnd::WriteFailed: return "(could not be written)";
    case FreeSpaceEnd::SyncFailed: return "(could not be forced to the disk)";
  }
  return {};
}

std::string FreeSpaceOutcomeText(const std::string& mount_point, const FreeSpaceResult& result,
                                 const std::string& old_copies, const std::string& fill_path) {
  // A fill that stays keeps the disk full: never "wiped" then.
  std::string reasons = FreeSpaceReason(result.end);
  if (!result.fill_removed)
    reasons += (reasons.empty() ? "(the fill " : " (the fill ") + fill_path +
               " could not be removed: " + ErrorText(result.fill_error) + ")";
  std::string text =
      reasons.empty()
          ? "The free space of " + mount_point + " was wiped: " + HumanSize(result.overwritten) + " overwritten."
          : "The free space of " + mount_point + " was only partly wiped: " + HumanSize(result.overwritten) +
                " overwritten " + reasons + ".";
  if (result.end == FreeSpaceEnd::Wiped && result.held_back > 0)
    text += "\n\nThe file system held back " + HumanSize(result.held_back) +
            (result.free_discarded
                 ? " of free space from every program; it was not overwritten, but the disk was told to discard "
                   "it."
                 : " of free space from every program; it was not overwritten.");
  if (!old_copies.empty()) text += "\n\nThis disk may keep old copies anyway (" + old_copies + ").";
  if (!result.fill_removed)
    text += "\n\nThe fill keeps the disk full. Velmora tries again at its next start; you may remove that folder "
            "yourself.";
  return text;
}

}  // namespace velmora
