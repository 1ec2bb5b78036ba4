// SPDX-License-Identifier: GPL-3.0-or-later
#include "shred/report.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/sys_calls.h"
#include "shred/unique_fd.h"

namespace velmora {
namespace {
constexpr const char* kEol = "\r\n";
}

std::string ReportPathIn(const std::string& folder) {
  if (!folder.empty() && folder.back() == '/') return folder + kReportFileName;
  return folder + "/" + kReportFileName;
}

std::string FormatReport(const std::string& date, const std::string& time,
                         const ShredOptions& options, const ShredList& items) {
  std::string out;
  out += "Velmora";
  out += kEol;
  out += date + kEol;
  out += time + kEol + kEol;
  out += "Technique Used: " + options.OverwriteWith + kEol;
  out += "Files Overwritten: " + std::to_string(options.OverwriteNoOfTimes) + " times" + kEol + kEol;
  out += std::string("Files Have Been Shredded Are: ") + kEol + kEol;
  for (const ShredListItem& item : items) out += item.path + kEol;
  return out;
}

bool WriteReport(ReportSink& sink, const ShredOptions& options, const ShredList& items,
                 ReportClock& clock) {
  // The date is read before the time, each as its line is written.
  std::string date = clock.ShortDateNow();
  std::string time = clock.ShortTimeNow();
  return sink.Write(FormatReport(date, time, options, items));
}

bool WriteReport(const std::string& path, const ShredOptions& options, const ShredList& items,
                 ReportClock& clock) {
  FileReportSink sink(path);
  return WriteReport(sink, options, items, clock);
}

bool WriteReportFile(const std::string& path, const std::string& bytes) {
  UniqueFd fd(RetryOnEintr([&] {
    return Sys().openat(AT_FDCWD, path.c_str(),
                        O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0600);
  }));
  if (!fd.valid()) return false;
  struct statx st;
  if (Sys().statx(fd.get(), "", AT_EMPTY_PATH, STATX_TYPE, &st) != 0 || !S_ISREG(st.stx_mode)) return false;
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = Sys().pwrite(fd.get(), bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return fd.Close();
}

}  // namespace velmora
