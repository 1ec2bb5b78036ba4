// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/progress_line.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <cmath>

#include "freespace/free_space_texts.h"
#include "fs/path_text.h"

namespace velmora {
namespace {

using Clock = std::chrono::steady_clock;

std::string Count(std::uint64_t n) {
  const std::string digits = std::to_string(n);
  std::string text;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) text += ',';
    text += digits[i];
  }
  return text;
}

std::string Duration(std::uint64_t seconds) {
  auto two = [](std::uint64_t n) { return (n < 10 ? "0" : "") + std::to_string(n); };
  const std::string minutes_seconds = two(seconds / 60 % 60) + ":" + two(seconds % 60);
  if (seconds >= 3600) return std::to_string(seconds / 3600) + ":" + minutes_seconds;
  return std::to_string(seconds / 60) + ":" + two(seconds % 60);
}

// What one phase counts: done of total, in bytes or in named units.
struct Measure {
  std::string what;  // "<done> of <total> <unit>" as the line shows it
  std::uint64_t done = 0;
  std::uint64_t total = 0;  // 0 when unknown
  bool bytes = false;
  const char* unit = "";
};

Measure MeasureOf(const RunReport& report) {
  if (!report.folder) {
    const std::string pass = report.passes > 1 ? ", pass " + std::to_string(report.pass) + " of " +
                                                     std::to_string(report.passes)
                                               : std::string();
    return {HumanSize(report.done) + " of " + HumanSize(report.planned) + pass, report.done, report.planned, true,
            ""};
  }
  const FolderStatus& s = report.status;
  switch (s.phase) {
    case FolderPhase::Overwriting:
      return {(s.total ? Count(s.overwritten) + " of " + Count(s.total) : Count(s.overwritten)) +
                  " files overwritten",
              s.overwritten, s.total, false, "files"};
    case FolderPhase::Forcing: return {"forcing to the disk", 0, 0, false, ""};
    case FolderPhase::Removing:
      return {"removing " + Count(s.done) + " of " + Count(s.total) + " entries", s.done, s.total, false, "entries"};
  }
  return {};
}

// ", <rate>, <time> left" once a second of the phase has gone by.
std::string Pace(const Measure& m, const PhaseClock& clock, Clock::time_point now) {
  const double seconds = std::chrono::duration<double>(now - clock.since).count();
  if (seconds < 1 || m.done <= clock.done_since) return {};
  const double rate = static_cast<double>(m.done - clock.done_since) / seconds;
  std::string text = ", " + (m.bytes ? HumanSize(static_cast<std::uint64_t>(rate)) + "/s"
                                     : Count(static_cast<std::uint64_t>(rate)) + " " + m.unit + "/s");
  if (m.total > m.done) text += ", " + Duration(static_cast<std::uint64_t>(std::ceil(static_cast<double>(m.total - m.done) / rate))) + " left";
  return text;
}

// Control characters (a newline in a name) would break the line.
std::string Printable(std::string text, std::size_t width) {
  for (char& c : text)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
  if (text.size() <= width) return text;
  std::size_t cut = width;
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;  // not inside a character
  return text.substr(0, cut);
}

std::size_t TerminalWidth(int fd) {
  struct winsize size{};
  return ::ioctl(fd, TIOCGWINSZ, &size) == 0 && size.ws_col > 1 ? size.ws_col - 1u : 79u;
}

}  // namespace

void CliRunHost::Progress(std::uint64_t done, std::uint64_t planned, const std::string& item) {
  std::lock_guard lock(mutex_);
  report_.done = done;
  report_.planned = planned;
  if (report_.item != item) report_.item = item;
}

void CliRunHost::FolderProgress(const std::string& item, const FolderStatus& status) {
  std::lock_guard lock(mutex_);
  if (report_.item != item) report_.item = item;
  report_.folder = true;
  report_.status = status;
}

RunReport CliRunHost::Report() const {
  std::lock_guard lock(mutex_);
  RunReport report = report_;
  report.stopping = stop_();
  return report;
}

std::string ProgressText(const RunReport& report, const std::string& verb, bool full_name, PhaseClock& clock,
                         Clock::time_point now) {
  if (report.stopping) return "Stopping...";
  std::string folder, name;
  SplitPath(report.item, folder, name);
  // A file run's bytes run on across its files; a folder's phases start over.
  const std::string key = report.folder ? report.item : std::string();
  if (clock.since == Clock::time_point{} || clock.item != key || clock.phase != report.status.phase) {
    const Measure start = MeasureOf(report);
    clock = {key, report.status.phase, now, start.done};
  }
  const Measure m = MeasureOf(report);
  return verb + " " + (full_name || name.empty() ? report.item : name) + ": " + m.what + Pace(m, clock, now);
}

ProgressLine::ProgressLine(const CliRunHost& host, std::FILE* stream, std::string verb, bool full_name)
    : host_(host), stream_(stream), verb_(std::move(verb)), full_name_(full_name) {
  if (!::isatty(::fileno(stream_))) return;
  Show();
  thread_ = std::thread([this] { Tick(); });
}

ProgressLine::~ProgressLine() {
  if (!thread_.joinable()) return;
  {
    std::lock_guard lock(mutex_);
    ending_ = true;
  }
  wake_.notify_one();
  thread_.join();
  std::fputs("\r\033[K", stream_);
  std::fflush(stream_);
}

void ProgressLine::Tick() {
  std::unique_lock lock(mutex_);
  while (!wake_.wait_for(lock, std::chrono::milliseconds(250), [this] { return ending_; })) Show();
}

void ProgressLine::Show() {
  const RunReport report = host_.Report();
  const std::string text = report.item.empty() && !report.stopping
                               ? verb_ + "..."
                               : ProgressText(report, verb_, full_name_, clock_, Clock::now());
  const std::string line = Printable(text, TerminalWidth(::fileno(stream_)));
  if (line == shown_) return;
  shown_ = line;
  const std::string out = "\r" + line + "\033[K";
  std::fwrite(out.data(), 1, out.size(), stream_);
  std::fflush(stream_);
}

}  // namespace velmora
