#pragma once
// Whether renaming an entry to a random name before removing it takes its
// name off the disk where a plain removal would not. Measured by the
// forensic tests for each file system that can be mounted here (20 names,
// anywhere on the raw image, after a run): ext4, with or without a journal,
// keeps 20 after a plain removal and none after the rename; XFS keeps 19 and
// 20, Btrfs 20 and 20 (their logs and copied metadata keep the names either
// way). The rename is dropped where it only costs time, and kept on file
// systems we could not test.
namespace velmora {

enum class NameScrubbing { WhereItHelps, Always, Never };

// For the file system of the open file or folder `fd`.
bool RenameScrubsNamesOn(int fd, NameScrubbing policy = NameScrubbing::WhereItHelps);

}  // namespace velmora
