// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The progress of a file-mode run, in bytes of the whole run's planned
// overwrite that the device has acknowledged. The engine reports them as
// they come; the control hears of it only when the run's thousandth changes
// or a new item begins, so the number of calls stays bounded (at most 1001
// plus two per item) whatever the sizes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/run_control.h"
#include "engine/shred_options.h"
#include "engine/write_progress.h"

namespace velmora {

// What one pass of the engine is expected to write over the file at `path`
// with a fill block of `block` bytes: the file's length, at least the block,
// rounded up to its file-system block. 0 for anything that is not a regular
// file.
std::uint64_t PlannedOverwrite(const std::string& path, std::size_t block);

class FileRunProgress : public WriteProgress {
 public:
  // `planned` holds what each item's `passes` together write, in list order.
  FileRunProgress(RunControl& control, std::vector<std::uint64_t> planned, int passes = 1);

  void BeginItem(std::size_t index, const std::string& path);
  void Written(std::uint64_t bytes) override;
  bool StopRequested() override { return control_.StopRequested(); }
  void PassBegins(int pass, int passes) override { control_.FilePass(pass, passes); }
  // The item is done, whatever was written: the bar moves past its share.
  void EndItem();

 private:
  void Report(bool always);

  RunControl& control_;
  std::vector<std::uint64_t> planned_;
  int passes_ = 1;
  std::uint64_t total_ = 0;
  std::uint64_t before_item_ = 0;  // the shares of the items already done
  std::uint64_t item_share_ = 0;
  std::uint64_t item_written_ = 0;
  std::uint64_t last_thousandth_ = 0;
  std::string item_;
};

}  // namespace velmora
