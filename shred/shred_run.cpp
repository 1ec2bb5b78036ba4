// SPDX-License-Identifier: GPL-3.0-or-later
#include "shred/shred_run.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <map>

#include "shred/entry_stat.h"
#include "shred/fill_block.h"
#include "shred/journal_scrub.h"
#include "shred/run_progress.h"
#include "shred/storage_class.h"
#include "shred/tree_shred.h"
#include "shred/unique_fd.h"

namespace velmora {
namespace {

// Once per file system the run touched: checkpoint the journal and zero it,
// so old copies of directory blocks (the names) do not outlive the run. On
// the same look at each item's folder (whose mount a shredded item was on),
// what its storage may keep of the old data.
void ScrubJournals(const ShredList& items, ShredRunResult& result) {
  std::map<dev_t, bool> zeroed;  // per file system touched: whether its journal is zeroed now
  StorageSurvey survey;
  result.storage.assign(items.size(), StorageClass{});
  for (std::size_t i = 0; i < items.size(); ++i) {
    std::string folder, name;
    SplitPath(items[i].path, folder, name);
    UniqueFd fd(RetryOnEintr(
        [&] { return Sys().openat(AT_FDCWD, folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0); }));
    EntryStat st;
    if (!fd.valid() || !StatFd(fd.get(), st)) continue;
    auto [journal, first] = zeroed.try_emplace(st.st.st_dev, false);
    if (first) journal->second = CheckpointJournal(fd.get(), /*zero_out=*/true);
    if (i < result.outcomes.size() && result.outcomes[i] == ItemOutcome::Shredded)
      result.storage[i] = survey.Classify(fd.get(), st.mount_id, st.st.st_dev, journal->second);
  }
}

// The engine's answer for one file, as the run reports it.
ItemOutcome FileOutcome(WipeOutcome outcome) {
  switch (outcome) {
    case WipeOutcome::Shredded: return ItemOutcome::Shredded;
    case WipeOutcome::InvalidPosition: return ItemOutcome::OpenFailed;
    case WipeOutcome::NotRegularFile: return ItemOutcome::NotRegularFile;
    case WipeOutcome::ReadOnly: return ItemOutcome::ReadOnly;
    case WipeOutcome::OpenFailed: return ItemOutcome::OpenFailed;
    case WipeOutcome::WriteFailed: return ItemOutcome::WriteFailed;
    case WipeOutcome::SyncFailed: return ItemOutcome::SyncFailed;
    case WipeOutcome::RemoveFailed: return ItemOutcome::RemoveFailed;
    case WipeOutcome::Link: return ItemOutcome::Link;
    case WipeOutcome::MountPoint: return ItemOutcome::MountPoint;
    case WipeOutcome::InUse: return ItemOutcome::InUse;
    case WipeOutcome::Gone: return ItemOutcome::NotFound;
    case WipeOutcome::Changed:
    case WipeOutcome::OtherLinks: return ItemOutcome::Changed;
    case WipeOutcome::StoppedPartWay: return ItemOutcome::StoppedPartWay;
    case WipeOutcome::StoppedBeforeStart: return ItemOutcome::StoppedBeforeReached;
  }
  return ItemOutcome::OpenFailed;
}

// Whether `path` is one of `removed`, or inside one of them.
bool RemovedEarlier(const std::vector<std::string>& removed, const std::string& path) {
  for (const std::string& folder : removed) {
    if (path == folder) return true;
    if (path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 && path[folder.size()] == '/')
      return true;
  }
  return false;
}

}  // namespace

std::string FileModeCaption(const ShredOptions& options) {
  return "Velmora has shred the " + options.OverwriteWith + " Technique and " +
         std::to_string(options.OverwriteNoOfTimes) + " Number of times";
}

std::string FolderModeCaption(const ShredOptions& options) {
  return "Velmora has shred the File(s)/Folder with " + options.OverwriteWith + " Technique and " +
         std::to_string(options.OverwriteNoOfTimes) + " Number of times";
}

ShredRunResult RunShred(const ShredOptions& options, const ShredList& items, int position,
                        ReportSink& report, ShredRunHost& host) {
  ShredRunResult result;
  // Written and closed before anything is destroyed: it names what was meant
  // to be shredded.
  result.report_written = WriteReport(report, options, items, host);

  if (options.FolderMode) {
    std::optional<FillPattern> pattern = PatternForPosition(position);
    std::vector<std::string> removed;
    for (const ShredListItem& item : items) {
      // A stop pressed while a folder's names went (when it could save
      // nothing there) is answered here: the folders not started stay.
      if (host.StopRequested()) {
        result.outcomes.push_back(ItemOutcome::StoppedBeforeReached);
        continue;
      }
      // The folder in hand, before its first file.
      host.FolderProgress(item.path, FolderStatus{});
      host.Progress(0, 0, item.path);
      TreeShredResult tree;
      if (pattern) tree = ShredTree(item.path, *pattern, host);
      ItemOutcome outcome = tree.outcome;
      for (const std::string& inside : tree.partly_overwritten)
        result.partly_overwritten.push_back({result.outcomes.size(), item.path + "/" + inside});
      // A folder already shredded earlier in this run (listed twice, or
      // inside another listed folder) is gone because we removed it.
      if (outcome == ItemOutcome::NotFound && RemovedEarlier(removed, item.path)) outcome = ItemOutcome::Shredded;
      if (outcome == ItemOutcome::Shredded) removed.push_back(item.path);
      result.outcomes.push_back(outcome);
    }
    ScrubJournals(items, result);
    host.Repaint();
    result.caption = FolderModeCaption(options);
  } else {
    // The pattern is built once for the whole run.
    std::optional<FillPattern> pattern = PatternForPosition(position);
    // What each file will take, for a bar of the whole run: one look at
    // each, no reading.
    std::vector<std::uint64_t> planned;
    for (const ShredListItem& item : items)
      planned.push_back(pattern ? PlannedOverwrite(item.path, pattern->period()) : 0);
    FileRunProgress progress(host, std::move(planned));
    // One engine call per item, on its path only: the item's name may be a
    // bare file name that would resolve in the working directory.
    for (std::size_t i = 0; i < items.size(); ++i) {
      if (host.StopRequested()) {
        result.outcomes.push_back(ItemOutcome::StoppedBeforeReached);
        continue;
      }
      progress.BeginItem(i, items[i].path);
      result.outcomes.push_back(pattern ? FileOutcome(WipePath(items[i].path, *pattern, &progress))
                                        : ItemOutcome::OpenFailed);
      // A file stopped part way is not done: the bar stays where the device is.
      if (result.outcomes.back() != ItemOutcome::StoppedPartWay) progress.EndItem();
    }
    ScrubJournals(items, result);
    host.Repaint();
    result.caption = FileModeCaption(options);
  }
  for (ItemOutcome outcome : result.outcomes) result.item_shredded.push_back(outcome == ItemOutcome::Shredded);
  return result;
}

}  // namespace velmora
