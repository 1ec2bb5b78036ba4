// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A FrmMain on fakes, with its program folder in a temporary folder.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>

#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <QTranslator>

#include <unistd.h>

#include <memory>
#include <stdexcept>

#include "fs/entry_stat.h"
#include "platform/sys_calls.h"
#include "shell/frm_main.h"
#include "shell/shred_progress.h"
#include "support/fake_platform.h"
#include "support/fake_system_files.h"
#include "support/temp_dir.h"
#include "support/worker_gate.h"

namespace velmora::testing {

// A control of the window, found by the object name it has always had
// ("&Shred Now" is cmdRemove), as accessibility tools find it.
template <typename T = QPushButton>
T* Control(const QObject& window, const char* name) {
  T* found = window.findChild<T*>(name);
  if (found == nullptr) throw std::logic_error(std::string("the window has no ") + name);
  return found;
}

// What a menu item, label or button shows.
inline QString Text(const QObject& window, const char* name) {
  if (auto* action = window.findChild<QAction*>(name)) return action->text();
  if (auto* label = window.findChild<QLabel*>(name)) return label->text();
  return Control<QAbstractButton>(window, name)->text();
}

using Strings = std::vector<std::string>;
using Messages = std::vector<ShownMessage>;

// Holds the shred run's worker inside one call through the seam until the
// test releases it, the first time that call touches `path`: a pwrite to it
// at `offset`, an fdatasync of it, a syncfs of it, an unlinkat of it (a
// `path` ending in "/": of anything in that folder). A run surely still
// going at a known point, with no timing.
class HoldCallOn {
 public:
  enum class Call { Pwrite, Fdatasync, Syncfs, Unlinkat };
  // Made before the run starts, so the worker sees the path and offset.
  HoldCallOn(Call call, std::string path, off_t offset = 0) : scope_(Replacement(call)) {
    Where().path = std::move(path);
    Where().offset = offset;
    Where().gate.Reset();
  }
  ~HoldCallOn() { Release(); }

  void WaitUntilHeld() { Where().gate.WaitUntilHeld(); }
  void Release() { Where().gate.Release(); }

 private:
  struct Point {
    WorkerGate gate;
    std::string path;
    off_t offset = 0;
  };
  static Point& Where() {
    static Point point;
    return point;
  }
  static void MaybeHold(const std::string& path, off_t offset) {
    // A path ending in "/" stands for anything in that folder.
    const bool matches = Where().path.ends_with('/') ? path.starts_with(Where().path) : path == Where().path;
    if (matches && offset == Where().offset) Where().gate.HoldOnce();
  }
  static SysCalls Replacement(Call call) {
    SysCalls calls = Sys();
    if (call == Call::Pwrite)
      calls.pwrite = [](int fd, const void* buf, size_t count, off_t offset) {
        MaybeHold(PathOfFd(fd), offset);
        return ::pwrite(fd, buf, count, offset);
      };
    if (call == Call::Fdatasync)
      calls.fdatasync = [](int fd) {
        MaybeHold(PathOfFd(fd), 0);
        return ::fdatasync(fd);
      };
    if (call == Call::Syncfs)
      calls.syncfs = [](int fd) {
        MaybeHold(PathOfFd(fd), 0);
        return ::syncfs(fd);
      };
    if (call == Call::Unlinkat)
      calls.unlinkat = [](int dirfd, const char* name, int flags) {
        MaybeHold(PathOfFd(dirfd) + "/" + name, 0);
        return ::unlinkat(dirfd, name, flags);
      };
    return calls;
  }
  ScopedSysCalls scope_;
};

// Runs the event loop until `done`; the limit only guards against a hang.
template <typename Done>
void WaitUntil(Done done) {
  ASSERT_TRUE(QTest::qWaitFor(done, 120000)) << "gave up waiting";
}

// "&Shred Now" with the worker held in one call (HoldCallOn) until End(),
// which lets it go and waits for the end of the run.
struct HeldRun {
  HeldRun(FrmMain& w, HoldCallOn::Call call, const std::string& path, off_t offset = 0)
      : ended(&w, &FrmMain::shredRunEnded), hold(call, path, offset) {
    Control(w, "cmdRemove")->click();
    hold.WaitUntilHeld();
  }
  // Held in the data sync of `path`: overwritten, not yet synced or removed.
  HeldRun(FrmMain& w, const std::string& path) : HeldRun(w, HoldCallOn::Call::Fdatasync, path) {}
  void End() {
    hold.Release();
    WaitUntil([&] { return !ended.isEmpty(); });
  }
  QSignalSpy ended;
  HoldCallOn hold;
};

// The storage beneath the tests' folders, whatever this machine's is: ext4
// on a disk that says nothing of itself, so the warning box names no
// storage unless a test describes one (FakeSystemFiles).
inline SysCalls AllExt4() {
  SysCalls calls = Sys();
  calls.fstatfs = [](int fd, struct statfs* out) {
    const int rc = ::fstatfs(fd, out);
    if (rc == 0) out->f_type = 0xEF53;
    return rc;
  };
  return calls;
}

class WindowTest : public ::testing::Test {
 protected:
  WindowTest() {
    MakeDir(dir / "prog");
    env.program = {dir / "prog", "velmora"};
    env.state_folder = dir / "state/velmora";
    env.mount_points = {"/", "/boot"};
    env.addresses = {"https://home.test/", "https://home.test/features", "https://home.test/contact",
                     "https://home.test/thanks", "https://home.test/update"};
    fakes.settings.values["LastUpdate"] = fakes.clock.today.toString(Qt::ISODate);
  }

  FrmMain& Open() {
    window = std::make_unique<FrmMain>(fakes.platform(), env);
    loaded = window->StartUp();
    return *window;
  }

  FrmMain& OpenShown() {
    Open().show();
    return *window;
  }

  // Options page -> list page in the given mode.
  FrmMain& OpenAtList(bool folder_mode, bool shown = false) {
    FrmMain& w = Open();
    ChooseMode(w, folder_mode);
    if (shown) w.show();
    return w;
  }

  // Shown and active, as after the user's click into it.
  static bool ShowActive(FrmMain& w) {
    w.show();
    w.activateWindow();
    return QTest::qWaitForWindowActive(&w);
  }

  // On the options page: the mode, then "&Next".
  static void ChooseMode(FrmMain& w, bool folder_mode) {
    (folder_mode ? Control<QRadioButton>(w, "OptFolder") : Control<QRadioButton>(w, "OptFile"))->click();
    Control(w, "cmdNext")->click();
  }

  // "&Add" once for each answer, all queued for the file chooser first.
  void AddFiles(FrmMain& w, const std::vector<ChosenFiles>& answers) {
    fakes.dialogs.file_choices.assign(answers.begin(), answers.end());
    for (std::size_t i = 0; i < answers.size(); ++i) Control(w, "cmdAdd")->click();
  }
  // The same with the folder chooser.
  void AddFolders(FrmMain& w, const std::vector<std::string>& answers) {
    fakes.dialogs.folder_choices.assign(answers.begin(), answers.end());
    for (std::size_t i = 0; i < answers.size(); ++i) Control(w, "cmdAdd")->click();
  }

  // A file-mode run of one file through the buttons, so the window writes
  // its report.
  void ShredAFile(FrmMain& w) {
    testing::WriteText(dir / "f", "data");
    ChooseMode(w, false);
    AddFiles(w, {dir / "f"});
    ShredNow(w);
    ASSERT_FALSE(Exists(dir / "f"));
  }

  // Lists a, b and c (4,000 random bytes each) in the test's folder, one add
  // each.
  void ListThreeFiles(FrmMain& w) {
    for (std::string name : {"a", "b", "c"}) {
      WriteFile(dir / name, RandomBytes(4000, name[0]));
      AddFiles(w, {dir / name});
    }
  }

  // "&Shred Now", then everything up to the end of the run, which goes on a
  // worker thread.
  void ShredNow(FrmMain& w) {
    QSignalSpy ended(&w, &FrmMain::shredRunEnded);
    Control(w, "cmdRemove")->click();
    WaitUntil([&] { return !ended.isEmpty(); });
  }

  // The progress dialog of the run or wipe going on, at once, as if its
  // delay had passed.
  static ShredProgressDialog* ShowProgress(FrmMain& w) {
    QTimer& delay = w.runProgress().delay();
    delay.stop();
    QMetaObject::invokeMethod(&delay, "timeout");
    return w.runProgress().dialog();
  }

  // The same, once the delay is seen waiting: as if its 500 ms had passed.
  static ShredProgressDialog* FireDelay(FrmMain& w) {
    QTimer& delay = w.runProgress().delay();
    EXPECT_TRUE(delay.isActive());
    EXPECT_TRUE(delay.isSingleShot());
    EXPECT_EQ(delay.interval(), 500);
    return ShowProgress(w);
  }

  // Every translator installed, taken out and deleted.
  static void RemoveTranslators() {
    for (QTranslator* translator : qApp->findChildren<QTranslator*>()) {
      QCoreApplication::removeTranslator(translator);
      delete translator;
    }
  }

  static std::vector<std::string> Texts(QTreeWidget* view) {
    std::vector<std::string> out;
    for (int i = 0; i < view->topLevelItemCount(); ++i) out.push_back(view->topLevelItem(i)->text(0).toStdString());
    return out;
  }
  // The shred list's paths (ListFiles), and its rows as the user sees them.
  static std::vector<std::string> Listed(FrmMain& w) { return Texts(Control<QTreeWidget>(w, "ListFiles")); }
  static std::vector<std::string> Rows(FrmMain& w) { return Texts(Control<QTreeWidget>(w, "NoExtension")); }

  // From the result page: "Back", the mode, `items` added, "&Shred Now";
  // the boxes of the run before are forgotten.
  void ShredAgain(FrmMain& w, bool folder_mode, const std::vector<std::string>& items) {
    fakes.dialogs.messages.clear();
    fakes.dialogs.check_boxes.clear();
    Control(w, "cmdBack1")->click();
    ChooseMode(w, folder_mode);
    if (folder_mode)
      AddFolders(w, items);
    else
      AddFiles(w, {items.begin(), items.end()});
    ShredNow(w);
  }

  // The mount a path is on, as the mount table numbers it.
  static std::uint64_t MountIdOf(const std::string& path) {
    EntryStat st;
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const bool ok = fd >= 0 && StatFd(fd, st);
    if (fd >= 0) ::close(fd);
    return ok ? st.mount_id : 0;
  }

  FakeSystemFiles storage;
  ScopedSystemFiles storage_scope{storage};
  ScopedSysCalls ext4_scope{AllExt4()};
  TempDir dir;
  // Where the report goes: beside the program, which the test's user owns,
  // or in the state folder when a note.txt of the user's is already there.
  const std::string report_path = dir / "prog/note.txt";
  const std::string state_report_path = dir / "state/velmora/note.txt";
  FakePlatform fakes;
  AppEnvironment env;
  std::unique_ptr<FrmMain> window;
  bool loaded = false;
};

}  // namespace velmora::testing
