// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/shred_run.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
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
  // A stopped run ends now: zeroing a journal takes seconds on a slow disk
  // (32 MiB at 4 MiB/s). Its names stay there as after a run without the
  // right to zero it, and a data journal's old copies are told as kept.
  const bool stopped = std::any_of(result.outcomes.begin(), result.outcomes.end(), [](ItemOutcome outcome) {
    return outcome == ItemOutcome::StoppedPartWay || outcome == ItemOutcome::StoppedBeforeReached ||
           outcome == ItemOutcome::StoppedBeforeFinished || outcome == ItemOutcome::StoppedAfterPasses;
  });
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
    if (first && !stopped) journal->second = CheckpointJournal(fd.get(), /*zero_out=*/true);
    if (i < result.outcomes.size() && result.outcomes[i] == ItemOutcome::Shredded)
      result.storage[i] = survey.Classify(fd.get(), st.mount_id, st.st.st_dev, journal->second);
  }
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
    for (const KeptEntry& kept : tree.kept)
      result.kept_inside.push_back({index, JoinPath(path, kept.path), kept.outcome, kept.error});
    result.errors[index] = tree.error;
    result.files_left[index] = {tree.files_left, tree.files_total};
    ItemOutcome outcome = tree.outcome;
    // A folder already shredded earlier in this run (listed twice, or
    // inside another listed folder) is gone because we removed it.
    if (outcome == ItemOutcome::NotFound && RemovedEarlier(removed_, path)) outcome = ItemOutcome::Shredded;
    if (outcome == ItemOutcome::Shredded) removed_.push_back(path);
    return outcome;
  }

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
        plan_ ? OutcomeOfFile(WipeFile(path, *plan_, &progress_, &result.passes_done[index], &result.errors[index]))
              : ItemOutcome::OpenFailed;
    // A file stopped part way is not done: the bar stays where the device is.
    if (outcome != ItemOutcome::StoppedPartWay) progress_.EndItem();
    return outcome;
  }

 private:
  const std::optional<PassPlan>& plan_;
  FileRunProgress progress_;
};

// Where anything was left, the report of what was done replaces the plan
// (if there is a plan to replace).
void TellWhatWasDone(const std::string& date, const std::string& time, const ShredOptions& options,
                     const ShredList& items, ReportSink& report, ShredRunResult& result) {
  if (!result.report_written) return;
  const std::vector<NotShredded> left = WhatWasLeft(items, result);
  ShredList shredded;
  for (std::size_t i = 0; i < items.size(); ++i)
    if (result.outcomes[i] == ItemOutcome::Shredded) shredded.push_back(items[i]);
  // A failure here shreds the plan: it must not pass for what was done.
  result.report_written = report.Write(FormatDoneReport(date, time, options, shredded, left));
}

}  // namespace

std::vector<NotShredded> WhatWasLeft(const ShredList& items, const ShredRunResult& result) {
  const auto at = [](const auto& values, std::size_t i, auto none) { return i < values.size() ? values[i] : none; };
  std::vector<NotShredded> left;
  for (std::size_t i = 0; i < items.size() && i < result.outcomes.size(); ++i) {
    if (result.outcomes[i] == ItemOutcome::Shredded) continue;
    const FilesLeft files = at(result.files_left, i, FilesLeft{});
    left.push_back({.item = i, .path = items[i].path, .outcome = result.outcomes[i], .error = at(result.errors, i, 0),
                    .files_left = files.left, .files_total = files.total,
                    .passes_done = at(result.passes_done, i, 0), .passes = result.passes});
    const std::size_t first = left.size();
    for (const PartlyOverwritten& file : result.partly_overwritten)
      if (file.item == i)
        left.push_back({.item = i, .path = file.path,
                        .outcome = file.passes_done == 0 ? ItemOutcome::StoppedPartWay : ItemOutcome::StoppedAfterPasses,
                        .passes_done = file.passes_done, .passes = result.passes, .inside = true});
    for (const KeptInside& kept : result.kept_inside)
      if (kept.item == i)
        left.push_back({.item = i, .path = kept.path, .outcome = kept.outcome, .error = kept.error, .inside = true});
    std::sort(left.begin() + static_cast<std::ptrdiff_t>(first), left.end(),
              [](const NotShredded& a, const NotShredded& b) { return a.path < b.path; });
  }
  return left;
}

std::string FileModeCaption(const ShredOptions& options, const TextLookup& words) {
  //: The result page's caption, its English odd on purpose ("has shred",
  //: "3 Number of times"): say in good words that the items were shredded
  //: with technique %1 and pass count %2.
  return FillIn(words(VELMORA_UI_TEXT("Velmora", "Velmora has shred the %1 Technique and %2 Number of times")),
                {words(options.OverwriteWith.c_str()), std::to_string(options.OverwriteNoOfTimes)});
}

std::string FolderModeCaption(const ShredOptions& options, const TextLookup& words) {
  //: As the file mode's caption, for folders.
  return FillIn(words(VELMORA_UI_TEXT("Velmora",
                                      "Velmora has shred the File(s)/Folder with %1 Technique and %2 Number of times")),
                {words(options.OverwriteWith.c_str()), std::to_string(options.OverwriteNoOfTimes)});
}

std::vector<bool> ItemsShredded(const ShredRunResult& result) {
  std::vector<bool> shredded;
  for (ItemOutcome outcome : result.outcomes) shredded.push_back(outcome == ItemOutcome::Shredded);
  return shredded;
}

std::size_t ItemsLeft(const ShredRunResult& result) {
  return static_cast<std::size_t>(std::count_if(result.outcomes.begin(), result.outcomes.end(),
                                                 [](ItemOutcome outcome) { return outcome != ItemOutcome::Shredded; }));
}

bool NothingShredded(const ShredRunResult& result) {
  for (std::size_t i = 0; i < result.outcomes.size(); ++i) {
    const ItemOutcome outcome = result.outcomes[i];
    if (outcome == ItemOutcome::Shredded || outcome == ItemOutcome::StoppedAfterPasses) return false;
    if (i < result.files_left.size() && result.files_left[i].left < result.files_left[i].total) return false;
  }
  return !result.outcomes.empty();
}

ShredRunResult RunShred(const ShredOptions& options, const ShredList& items, ReportSink& report,
                        ShredRunHost& host) {
  ShredRunResult result;
  result.errors.assign(items.size(), 0);
  result.files_left.assign(items.size(), FilesLeft{});
  // Written and closed before anything is destroyed: it names what was meant
  // to be shredded. The date and time are read once, for it and for the
  // report of what was done.
  const std::string date = host.ShortDateNow();
  const std::string time = host.ShortTimeNow();
  result.report_written = report.Write(FormatReport(date, time, options, items));
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
  if (ItemsLeft(result) != 0) TellWhatWasDone(date, time, options, items, report, result);
  return result;
}

}  // namespace velmora
