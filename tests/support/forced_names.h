// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Ways of taking names off a folder's tree fixed whatever its file system,
// for a folder shred's TreeShredOptions::tree_names: to measure each way,
// or to force the dearest where the file system would pick another.
#include "fs/name_scrub.h"

namespace velmora::testing {

inline TreeNames NamesLeftAlone(int) { return TreeNames::LeftAlone; }
inline TreeNames NamesSyncedBeforeFolders(int) { return TreeNames::SyncBeforeFolders; }
inline TreeNames NamesRenamedEach(int) { return TreeNames::RenameEach; }

}  // namespace velmora::testing
