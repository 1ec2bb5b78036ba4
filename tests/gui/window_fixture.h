#pragma once
// A FrmMain on fakes, with its program folder in a temporary folder.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QApplication>

#include <memory>

#include "platform/fake_platform.h"
#include "shell/frm_main.h"
#include "shred/report.h"
#include "support/temp_dir.h"

namespace velmora::testing {

inline std::string Nul() { return std::string(1, '\0'); }

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
    loaded = window->Form_Load();
    return *window;
  }

  // Options page -> list page in the given mode.
  FrmMain& OpenAtList(bool folder_mode) {
    FrmMain& w = Open();
    (folder_mode ? w.OptFolder : w.OptFile)->click();
    w.cmdNext->click();
    return w;
  }

  std::vector<std::string> Texts(QTreeWidget* view) {
    std::vector<std::string> out;
    for (int i = 0; i < view->topLevelItemCount(); ++i)
      out.push_back(view->topLevelItem(i)->text(0).toStdString());
    return out;
  }

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
