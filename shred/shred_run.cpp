#include "shred/shred_run.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <set>

#include "shred/fill_block.h"
#include "shred/journal_scrub.h"
#include "shred/tree_shred.h"
#include "shred/unique_fd.h"

namespace velmora {
namespace {

// Once per file system the run touched: checkpoint the journal and zero it,
// so old copies of directory blocks (the names) do not outlive the run.
void ScrubJournals(const ShredList& items) {
  std::set<dev_t> done;
  for (const ShredListItem& item : items) {
    std::string folder, name;
    SplitPath(item.path, folder, name);
    UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    struct stat st;
    if (!fd.valid() || ::fstat(fd.get(), &st) != 0 || !done.insert(st.st_dev).second) continue;
    CheckpointJournal(fd.get(), /*zero_out=*/true);
  }
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
                        const std::string& report_path, ShredRunHost& host) {
  ShredRunResult result;
  // Written and closed before anything is destroyed: it names what was meant
  // to be shredded.
  result.report_written = WriteReport(report_path, options, items, host);

  if (options.FolderMode) {
    std::optional<int> n = RepeatFactor(position);
    std::optional<FillPattern> pattern;
    if (n) pattern.emplace(*n);
    for (const ShredListItem& item : items)
      result.item_shredded.push_back(pattern && ShredTree(item.path, *pattern).folder_removed);
    ScrubJournals(items);
    host.Repaint();
    result.caption = FolderModeCaption(options);
  } else {
    // One engine call per item, on its path only: the item's name may be a
    // bare file name that would resolve in the working directory.
    for (const ShredListItem& item : items)
      result.item_shredded.push_back(WipeFile(item.path, position) == WipeOutcome::Shredded);
    ScrubJournals(items);
    host.Repaint();
    result.caption = FileModeCaption(options);
  }
  return result;
}

}  // namespace velmora
