// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/run_progress.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <numeric>

#include "fs/entry_stat.h"

namespace velmora {

std::uint64_t PlannedOverwrite(const std::string& path, std::size_t block) {
  EntryStat seen;
  if (!StatAt(AT_FDCWD, path, seen) || !S_ISREG(seen.st.st_mode)) return 0;
  const struct stat& st = seen.st;
  const auto unit = static_cast<std::uint64_t>(FsBlockSize(st));
  const std::uint64_t length = std::max<std::uint64_t>(static_cast<std::uint64_t>(st.st_size), block);
  return (length + unit - 1) / unit * unit;
}

FileRunProgress::FileRunProgress(RunControl& control, std::vector<std::uint64_t> planned, int passes)
    : control_(control), planned_(std::move(planned)), passes_(passes),
      total_(std::accumulate(planned_.begin(), planned_.end(), std::uint64_t{0})) {}

void FileRunProgress::BeginItem(std::size_t index, const std::string& path) {
  item_ = path;
  item_share_ = index < planned_.size() ? planned_[index] : 0;
  item_written_ = 0;
  control_.FilePass(1, passes_);  // the item's first pass, until the engine says otherwise
  Report(/*always=*/true);
}

void FileRunProgress::Written(std::uint64_t bytes) {
  item_written_ += bytes;
  Report(/*always=*/false);
}

void FileRunProgress::EndItem() {
  before_item_ += item_share_;
  item_share_ = item_written_ = 0;
  Report(/*always=*/true);
}

void FileRunProgress::Report(bool always) {
  // A sparse file is written less than its length, a file that grew more:
  // neither may move the bar outside the item's share.
  const std::uint64_t done = before_item_ + std::min(item_written_, item_share_);
  const std::uint64_t thousandth = total_ == 0 ? 0 : done * 1000 / total_;
  if (!always && thousandth == last_thousandth_) return;
  last_thousandth_ = thousandth;
  control_.Progress(done, total_, item_);
}

}  // namespace velmora
