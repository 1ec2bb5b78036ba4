#pragma once
// Whether renaming an entry to a random name before removing it takes its
// name off the disk where a plain removal would not. Measured with the
// forensic tests for each file system that could be mounted here (see the
// README): on ext4, with or without a journal, a plain removal leaves no
// name in a folder's blocks (the kernel clears a removed entry); on XFS the
// log keeps the names either way. There the rename only costs time; on file
// systems we could not test it is kept.
namespace velmora {

enum class NameScrubbing { WhereItHelps, Always, Never };

// For the file system of the open file or folder `fd`.
bool RenameScrubsNamesOn(int fd, NameScrubbing policy = NameScrubbing::WhereItHelps);

}  // namespace velmora
