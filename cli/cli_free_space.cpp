// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cli_free_space.h"

#include "cli/progress_line.h"
#include "freespace/free_space_leftover.h"
#include "freespace/free_space_texts.h"
#include "fs/storage_class.h"
#include "shredlist/given_paths.h"

namespace velmora {
namespace {

// Each line of a text made for a box, without its blank lines.
void Lines(std::FILE* stream, const std::string& text) {
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    if (end > start) {
      std::fwrite(text.data() + start, 1, end - start, stream);
      std::fputc('\n', stream);
    }
    start = end + 1;
  }
  std::fflush(stream);
}

// Why the disk may keep old copies whatever its free blocks hold, as the
// window words it (the storage reason without its brackets); "" for none.
std::string OldCopies(int fd, const ReasonTexts& texts) {
  const std::string reason = texts.storage(ClassifyStorage(fd).risk);
  return reason.size() > 2 ? reason.substr(1, reason.size() - 2) : std::string();
}

}  // namespace

int RunCliWipeFreeSpace(const std::string& folder, const ReasonTexts& texts, ReportRecordStore& fill_record,
                        const CliStreams& streams) {
  FillKeeper keeper(fill_record);
  keeper.RemoveLeftovers();
  const std::string path = AbsolutePath(folder, CurrentFolder());
  FreeSpaceTarget target = PrepareFreeSpaceWipe(path);
  if (target.refusal != FreeSpaceRefusal::None) {
    Lines(streams.err, FreeSpaceRefusalText(target.refusal, path, target.error));
    return 1;
  }
  keeper.Remember(target.identity);
  const std::string old_copies = OldCopies(target.parent.get(), texts);
  CliRunHost host(streams.stop);
  FreeSpaceResult result;
  {
    ProgressLine line(host, streams.err, "Wiping free space on", /*full_name=*/true);
    result = WipeFreeSpace(target, host);
  }
  if (result.fill_removed) keeper.Forget(target.identity);
  Lines(streams.out, FreeSpaceOutcomeText(target.mount_point, result, old_copies, target.identity.path));
  return result.end == FreeSpaceEnd::Wiped && result.fill_removed ? 0 : 1;
}

}  // namespace velmora
