// SPDX-License-Identifier: GPL-3.0-or-later
// Measures how the window behaves while it shreds a 2 GiB file at "1": the longest
// gap between ticks of a 10 ms timer on the GUI thread, and what the progress
// reporting costs against the same run with a silent host.
//
//   window_bench [FOLDER]     FOLDER defaults to a new folder in the current one
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_files.h"
#include "bench_report.h"
#include "platform/lease_signal.h"
#include "run/shred_run.h"
#include "shell/frm_main.h"
#include "support/fake_platform.h"

namespace {

using velmora::bench::Median;
using velmora::bench::WriteRandomFile;

using Clock = std::chrono::steady_clock;

constexpr int kRuns = 5;
constexpr int kPosition = 0;  // "1"
constexpr std::uint64_t kSize = 2ull << 30;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }


void Click(QWidget& window, const char* name) { window.findChild<QAbstractButton*>(name)->click(); }

bool Exists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

struct WindowRun {
  double seconds = 0;
  double longest_gap_ms = 0;
  std::string long_gaps;  // "gap@since-click" for every gap over 25 ms
};

// "&Shred Now" on `path` through the window, with a 10 ms timer ticking on
// the GUI thread from before the click until the result page is in front.
WindowRun ShredThroughTheWindow(const std::string& folder, const std::string& path) {
  velmora::FakePlatform fakes;
  fakes.settings.values["LastUpdate"] = fakes.clock.today.toString(Qt::ISODate);
  velmora::AppEnvironment env;
  env.program = {folder, "velmora"};
  env.state_folder = folder + "/state";
  env.mount_points = {"/"};
  velmora::FrmMain window(fakes.platform(), env);
  window.StartUp();
  window.show();
  // By the controls' names, as a user's tools find them: "1" pass, file mode.
  window.findChild<QComboBox*>("cboOverwriteNoOfTimes")->setCurrentIndex(kPosition);
  Click(window, "OptFile");
  Click(window, "cmdNext");
  fakes.dialogs.file_choices = {path};
  Click(window, "cmdAdd");

  WindowRun run;
  QEventLoop loop;
  QTimer ticker;
  ticker.setTimerType(Qt::PreciseTimer);
  ticker.setInterval(10);
  Clock::time_point last = Clock::now(), started;
  QObject::connect(&ticker, &QTimer::timeout, [&] {
    Clock::time_point now = Clock::now();
    run.longest_gap_ms = std::max(run.longest_gap_ms, Ms(now - last));
    if (Ms(now - last) > 25 && started != Clock::time_point{})
      run.long_gaps += " " + std::to_string(static_cast<int>(Ms(now - last))) + "@" +
                       std::to_string(static_cast<int>(Ms(last - started)));
    last = now;
    if (window.FrontPage() == velmora::Page::Final) {
      run.seconds = std::chrono::duration<double>(now - started).count();
      loop.quit();
    }
  });
  QTimer::singleShot(20, [&] {
    started = Clock::now();
    Click(window, "cmdRemove");
  });
  last = Clock::now();
  ticker.start();
  loop.exec();
  ticker.stop();
  if (Exists(path) || !fakes.dialogs.messages.empty()) {
    std::fprintf(stderr, "the window did not shred %s\n", path.c_str());
    std::exit(1);
  }
  Click(window, "cmdBack1");  // deletes the report
  return run;
}

// A host that reports nothing: the run as it would be without progress.
class SilentHost : public velmora::ShredRunHost {
 public:
  std::string ShortDateNow() override { return "07/12/2026"; }
  std::string ShortTimeNow() override { return "09:41"; }
  void Repaint() override {}
};

double ShredSilently(const std::string& folder, const std::string& path) {
  SilentHost host;
  velmora::ShredOptions options;
  velmora::ChoosePasses(options, kPosition, 0);
  velmora::bench::BenchReport report(folder);  // where the window's goes
  Clock::time_point start = Clock::now();
  velmora::ShredRunResult result = velmora::RunShred(options, {{path, path}}, report, host);
  double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  report.Delete();
  if (result.outcomes.size() != 1 || result.outcomes[0] != velmora::ItemOutcome::Shredded) {
    std::fprintf(stderr, "the run did not shred %s\n", path.c_str());
    std::exit(1);
  }
  return seconds;
}

}  // namespace

int main(int argc, char** argv) {
  velmora::IgnoreLeaseBreakSignal();  // before any thread: see platform/lease_signal.h
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);

  const std::string folder = velmora::bench::BenchFolder(argc > 1 ? argv[1] : nullptr, "velmora-window-bench");
  if (folder.empty()) return 1;
  const std::string big = folder + "/big.bin";
  std::printf("window bench folder: %s (%d alternating runs of 2 GiB)\n", folder.c_str(), kRuns);

  std::vector<double> gaps, with_progress, silent;
  for (int i = 0; i < kRuns; ++i) {
    // Which of the two goes first alternates, so neither always meets the
    // disk just after the other.
    WindowRun run;
    for (int half = 0; half < 2; ++half) {
      WriteRandomFile(big, kSize);
      if ((half + i) % 2 == 0)
        run = ShredThroughTheWindow(folder, big);
      else
        silent.push_back(ShredSilently(folder, big));
    }
    gaps.push_back(run.longest_gap_ms);
    with_progress.push_back(run.seconds);
    std::printf("run %d: window %.2fs (longest GUI gap %.1f ms; gaps over 25 ms, in ms@ms after the click:%s), "
                "silent host %.2fs\n",
                i + 1, run.seconds, run.longest_gap_ms, run.long_gaps.c_str(), silent.back());
  }
  ::rmdir(folder.c_str());

  std::printf("ui_stall_ms_2g: %.1f\n", Median(gaps));
  // Each pair ran under much the same load from the rest of the machine:
  // the median of the pairs' ratios, not the ratio of the medians.
  std::vector<double> ratios;
  for (std::size_t i = 0; i < silent.size(); ++i) ratios.push_back(with_progress[i] / silent[i]);
  std::printf("progress_overhead: %.3f\n", Median(ratios));
  return 0;
}
