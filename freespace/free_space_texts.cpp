// SPDX-License-Identifier: GPL-3.0-or-later
#include "freespace/free_space_texts.h"

#include <cmath>
#include <system_error>

namespace velmora {
namespace {

// strerror's text, from a call that may run beside others.
std::string ErrorText(int error) { return std::generic_category().message(error); }

}  // namespace

std::string HumanSize(std::uint64_t bytes, const TextLookup& words) {
  if (bytes < 1024)
    return FillIn(words(bytes == 1 ? VELMORA_UI_TEXT("Velmora", "%1 byte") : VELMORA_UI_TEXT("Velmora", "%1 bytes")),
                  {std::to_string(bytes)});
  static const char* const kUnits[] = {VELMORA_UI_TEXT("Velmora", "KiB"), VELMORA_UI_TEXT("Velmora", "MiB"),
                                       VELMORA_UI_TEXT("Velmora", "GiB"), VELMORA_UI_TEXT("Velmora", "TiB"),
                                       VELMORA_UI_TEXT("Velmora", "PiB"), VELMORA_UI_TEXT("Velmora", "EiB")};
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
  //: A size with one decimal: whole units, then tenths ("1.5 GiB").
  const std::string number = tenths % 10 == 0 ? std::to_string(tenths / 10)
                                              : FillIn(words(VELMORA_UI_TEXT("Velmora", "%1.%2")),
                                                       {std::to_string(tenths / 10), std::to_string(tenths % 10)});
  return number + " " + words(kUnits[unit]);
}

std::string FreeSpaceQuestion(const std::string& folder, const TextLookup& words) {
  return FillIn(words(VELMORA_UI_TEXT(
                    "Velmora",
                    "Wipe the free space of the disk that holds %1?\n\nVelmora fills every free block of that file "
                    "system with its pattern, forces it to the disk and removes the fill again. The disk is full for "
                    "a while; other programs writing to it may fail until it ends. This may take long.")),
                {folder});
}

std::string FreeSpaceRefusalText(FreeSpaceRefusal refusal, const std::string& folder, int error,
                                 const TextLookup& words) {
  const char* pattern = nullptr;
  switch (refusal) {
    case FreeSpaceRefusal::None: return {};
    case FreeSpaceRefusal::CannotOpen:
      pattern = VELMORA_UI_TEXT("Velmora", "%1 cannot be opened (%2): its free space was not wiped.");
      break;
    case FreeSpaceRefusal::ReadOnly:
      pattern = VELMORA_UI_TEXT("Velmora",
                                "The disk that holds %1 is mounted read-only: its free space cannot be wiped.");
      break;
    case FreeSpaceRefusal::NotWritable:
      pattern = VELMORA_UI_TEXT(
          "Velmora", "You cannot create files in %1: Velmora cannot wipe the free space of its disk from there.");
      break;
    case FreeSpaceRefusal::CannotCreate:
      pattern = VELMORA_UI_TEXT("Velmora",
                                "Velmora could not create its fill folder in %1 (%2): the free space was not wiped.");
      break;
  }
  return pattern == nullptr ? std::string() : FillIn(words(pattern), {folder, ErrorText(error)});
}

std::string FreeSpaceProgressText(const std::string& mount_point, const TextLookup& words) {
  return FillIn(words(VELMORA_UI_TEXT("Velmora", "Wiping free space on %1")), {mount_point});
}

std::string FreeSpaceReason(FreeSpaceEnd end) {
  switch (end) {
    case FreeSpaceEnd::Wiped: return {};
    case FreeSpaceEnd::Stopped: return VELMORA_UI_TEXT("Velmora", "(stopped)");
    case FreeSpaceEnd::ReservedNotReached:
      return VELMORA_UI_TEXT("Velmora", "(the space reserved for the administrator was not reached)");
    case FreeSpaceEnd::WriteFailed: return VELMORA_UI_TEXT("Velmora", "(could not be written)");
    case FreeSpaceEnd::SyncFailed: return VELMORA_UI_TEXT("Velmora", "(could not be forced to the disk)");
  }
  return {};
}

std::string FreeSpaceOutcomeText(const std::string& mount_point, const FreeSpaceResult& result,
                                 const std::string& old_copies, const std::string& fill_path,
                                 const TextLookup& words) {
  const std::string overwritten = HumanSize(result.overwritten, words);
  // A fill that stays keeps the disk full: never "wiped" then.
  std::string reasons = result.end == FreeSpaceEnd::Wiped ? std::string() : words(FreeSpaceReason(result.end).c_str());
  if (!result.fill_removed)
    reasons += (reasons.empty() ? "" : " ") +
               FillIn(words(VELMORA_UI_TEXT("Velmora", "(the fill %1 could not be removed: %2)")),
                      {fill_path, ErrorText(result.fill_error)});
  std::string text =
      reasons.empty()
          ? FillIn(words(VELMORA_UI_TEXT("Velmora", "The free space of %1 was wiped: %2 overwritten.")),
                   {mount_point, overwritten})
          : FillIn(words(VELMORA_UI_TEXT("Velmora", "The free space of %1 was only partly wiped: %2 overwritten %3.")),
                   {mount_point, overwritten, reasons});
  if (result.end == FreeSpaceEnd::Wiped && result.held_back > 0)
    text += "\n\n" + FillIn(words(result.free_discarded
                                       ? VELMORA_UI_TEXT("Velmora",
                                                         "The file system held back %1 of free space from every "
                                                         "program; it was not overwritten, but the disk was told to "
                                                         "discard it.")
                                       : VELMORA_UI_TEXT("Velmora",
                                                         "The file system held back %1 of free space from every "
                                                         "program; it was not overwritten.")),
                             {HumanSize(result.held_back, words)});
  if (!old_copies.empty())
    text += "\n\n" + FillIn(words(VELMORA_UI_TEXT("Velmora", "This disk may keep old copies anyway (%1).")),
                             {old_copies});
  if (!result.fill_removed)
    text += "\n\n" + words(VELMORA_UI_TEXT("Velmora",
                                          "The fill keeps the disk full. Velmora tries again at its next start; you "
                                          "may remove that folder yourself."));
  return text;
}

}  // namespace velmora
