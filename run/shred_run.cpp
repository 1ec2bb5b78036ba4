// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/shred_run.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <map>
#include <memory>
#include <optional>

#include "engine/fill_block.h"
#include "fs/entry_stat.h"
#include "fs/journal_scrub.h"
#include "fs/path_text.h"
#include "fs/storage_class.h"
#include "fs/unique_fd.h"
#include "run/run_progress.h"
#include "tree/tree_shred.h"

namespace velmora {
namespace {

// Once per file system the run touched: checkpoint the journal and zero it,
// so old copies of directory blocks (the names) do not outlive the run. On
// the same look at each item's folder (whose mount a shredded item was on),
// what its storage may keep of the old data.
// An item kept whole under its name (stopped part way, or never reached)
// took no name off the disk, and is not looked at: a file system only such
// items touched keeps its journal as it is (zeroing it takes seconds after a
// Stop on a slow device).
void ScrubJournals(const ShredList& items, ShredRunResult& result) {
  std::map<dev_t, bool> zeroed;  // per file system touched: whether its journal is zeroed now
  StorageSurvey survey;
  result.storage.assign(items.size(), StorageClass{});
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i < result.outcomes.size() && (result.outcomes[i] == ItemOutcome::StoppedPartWay ||
                                       result.outcomes[i] == ItemOutcome::StoppedBeforeReached))
      continue;
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
    case WipeOutcome::StoppedAfterPasses: return ItemOutcome::StoppedAfterPasses;
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

// How the run's mode shreds one listed item; the run around it is the same
// for both. Without a plan (no such position) nothing is written.
class ItemStep {
 public:
  virtual ~ItemStep() = default;
  virtual ItemOutcome Shred(std::size_t index, const std::string& path, ShredRunResult& result) = 0;
  virtual std::string Caption(const ShredOptions& options) const = 0;
};

// Folder mode: every listed folder is shredded whole.
class FolderStep : public ItemStep {
 public:
  FolderStep(const std::optional<PassPlan>& plan, ShredRunHost& host) : plan_(plan), host_(host) {}

  ItemOutcome Shred(std::size_t index, const std::string& path, ShredRunResult& result) override {
    // The folder in hand, before its first file.
    host_.FolderProgress(path, FolderStatus{});
    host_.Progress(0, 0, path);
    TreeShredResult tree;
    if (plan_) tree = ShredTree(path, *plan_, host_);
    for (const std::string& inside : tree.partly_overwritten)
      result.partly_overwritten.push_back({index, JoinPath(path, inside)});
    for (const StoppedAfterPasses& inside : tree.stopped_after_passes)
      result.partly_overwritten.push_back({index, JoinPath(path, inside.path), inside.passes_done});
    ItemOutcome outcome = tree.outcome;
    // A folder already shredded earlier in this run (listed twice, or
    // inside another listed folder) is gone because we removed it.
    if (outcome == ItemOutcome::NotFound && RemovedEarlier(removed_, path)) outcome = ItemOutcome::Shredded;
    if (outcome == ItemOutcome::Shredded) removed_.push_back(path);
    return outcome;
  }
  std::string Caption(const ShredOptions& options) const override { return FolderModeCaption(options); }

 private:
  const std::optional<PassPlan>& plan_;
  ShredRunHost& host_;
  std::vector<std::string> removed_;
};

// What each file will take, every pass, for a bar of the whole run: one
// look at each, no reading.
std::vector<std::uint64_t> PlannedOverwrites(const ShredList& items, const std::optional<PassPlan>& plan) {
  std::vector<std::uint64_t> planned;
  for (const ShredListItem& item : items)
    planned.push_back(plan ? PlannedOverwrite(item.path, plan->fill().period()) *
                                 static_cast<std::uint64_t>(plan->passes())
                           : 0);
  return planned;
}

// File mode: one engine call per item, on its path only: the item's name
// may be a bare file name that would resolve in the working directory.
class FileStep : public ItemStep {
 public:
  FileStep(const std::optional<PassPlan>& plan, const ShredList& items, ShredRunHost& host)
      : plan_(plan), progress_(host, PlannedOverwrites(items, plan), plan ? plan->passes() : 1) {}

  ItemOutcome Shred(std::size_t index, const std::string& path, ShredRunResult& result) override {
    progress_.BeginItem(index, path);
    const ItemOutcome outcome =
        plan_ ? FileOutcome(WipeFile(path, *plan_, &progress_, &result.passes_done[index])) : ItemOutcome::OpenFailed;
    // A file stopped part way is not done: the bar stays where the device is.
    if (outcome != ItemOutcome::StoppedPartWay) progress_.EndItem();
    return outcome;
  }
  std::string Caption(const ShredOptions& options) const override { return FileModeCaption(options); }

 private:
  const std::optional<PassPlan>& plan_;
  FileRunProgress progress_;
};

}  // namespace

std::string FileModeCaption(const ShredOptions& options) {
  return "Velmora has shred the " + options.OverwriteWith + " Technique and " +
         std::to_string(options.OverwriteNoOfTimes) + " Number of times";
}

std::string FolderModeCaption(const ShredOptions& options) {
  return "Velmora has shred the File(s)/Folder with " + options.OverwriteWith + " Technique and " +
         std::to_string(options.OverwriteNoOfTimes) + " Number of times";
}

ShredRunResult RunShred(const ShredOptions& options, const ShredList& items, ReportSink& report,
                        ShredRunHost& host) {
  ShredRunResult result;
  // Written and closed before anything is destroyed: it names what was meant
  // to be shredded.
  result.report_written = WriteReport(report, options, items, host);
  // The plan (its fill pattern built) once for the whole run.
  const std::optional<PassPlan> plan = PlanForPosition(options.position, options.technique);
  result.passes = plan ? plan->passes() : 0;
  result.passes_done.assign(items.size(), 0);
  std::unique_ptr<ItemStep> step;
  if (options.FolderMode)
    step = std::make_unique<FolderStep>(plan, host);
  else
    step = std::make_unique<FileStep>(plan, items, host);
  for (std::size_t i = 0; i < items.size(); ++i) {
    // A stop pressed while an item's names went (when it could save nothing
    // there) is answered here: the items not started stay.
    const ItemOutcome outcome =
        host.StopRequested() ? ItemOutcome::StoppedBeforeReached : step->Shred(i, items[i].path, result);
    result.outcomes.push_back(outcome);
  }
  ScrubJournals(items, result);
  host.Repaint();
  result.caption = step->Caption(options);
  for (ItemOutcome outcome : result.outcomes) result.item_shredded.push_back(outcome == ItemOutcome::Shredded);
  return result;
}

}  // namespace velmora
