// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The keeper of the shred report, note.txt: where it goes, how it is written
// and how it goes away. The report names every shredded path, so it is
// written as a new private file and destroyed through the overwrite engine;
// and a note.txt this program did not write is never written to, replaced
// or deleted. What the program wrote is known by identity (device, inode,
// change time or birth time), kept in a record that outlives the session, so
// a report a killed session left behind is destroyed at the next start. The
// record is only ever trusted to name the keeper's own reports: a
// note.txt or a temporary name directly in one of its own folders.
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "fs/unique_fd.h"
#include "report/report.h"
#include "report/report_record.h"

namespace velmora {

// Where the identities of the program's own reports are kept between
// sessions (the window keeps them in its settings).
class ReportRecordStore {
 public:
  virtual ~ReportRecordStore() = default;
  virtual std::string Read() = 0;  // "" when nothing was recorded
  // False when the record could not be stored: what it would name is then
  // not known to the next start.
  virtual bool Write(const std::string& record) = 0;
};

struct ReportPlaces {
  std::string program_folder;
  std::string state_folder;  // $XDG_STATE_HOME/velmora or ~/.local/state/velmora; "" when unknown
  uid_t user = ::geteuid();  // whose folders count as the user's own
};

// One call at a time: the run's Write has ended before any way out deletes.
class ReportKeeper : public ReportSink {
 public:
  ReportKeeper(ReportPlaces places, ReportRecordStore& record);

  // Writes a new report: a new file under a temporary name, synced, then the
  // previous report is shredded and the new one renamed to note.txt. It goes
  // beside the program when allowed and no foreign note.txt is there, else
  // to the state folder. False when it could be written nowhere; no partial
  // file is left.
  bool Write(const std::string& bytes) override;

  // Shreds every report this program wrote that is still as it left it:
  // this session's, or one a killed session left. A file that has changed
  // since (replaced, linked elsewhere, edited) is not ours any more and is
  // left alone. True when none of ours is left.
  bool Delete();

  // Where the current report is; without one, where the next would go.
  std::string Path();

 private:
  void Load();
  bool Save();  // false when the record could not be stored
  bool WriteIn(const std::string& folder, const std::string& bytes);
  // A new file under a temporary name, known to the record before a byte of
  // it is written; not valid when it cannot be both.
  UniqueFd CreateRecordedTemporary(int dirfd, const std::string& folder, std::string& temporary);
  // The bytes forced to the disk, the previous report shredded, and the new
  // one given its name.
  bool WriteAndMoveInPlace(int dirfd, int fd, const std::string& temporary, const std::string& bytes);
  // The record, once the report holds its name: `now` is the file as it is.
  void RecordInPlace(const std::string& folder, const ReportIdentity& written, bool name_durable,
                     const struct stat& now);
  bool HoldsForeignReport(int dirfd);
  bool ShredOwnIf(const std::function<bool(const ReportIdentity&)>& which);

  ReportPlaces places_;
  ReportRecordStore& record_;
  bool loaded_ = false;
  std::string saved_;                     // the record as the store holds it
  std::vector<ReportIdentity> own_;       // oldest first
  std::optional<ReportIdentity> pending_;  // the report being written
};

}  // namespace velmora
