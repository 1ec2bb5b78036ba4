// SPDX-License-Identifier: GPL-3.0-or-later
// Writes a PNG of each of the window's four pages into the folder given.
#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QLabel>

#include "shell/frm_main.h"
#include "support/fake_platform.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString("docs/screenshots");
  QDir().mkpath(folder);

  velmora::FakePlatform fakes;
  fakes.settings.values["LastUpdate"] = "2026-12-07";
  velmora::AppEnvironment env = velmora::ReadAppEnvironment();
  velmora::FrmMain window(fakes.platform(), env);
  window.StartUp();
  window.show();

  struct Shot {
    velmora::Page page;
    const char* name;
  };
  auto press = [&window](const char* name) { window.findChild<QAbstractButton*>(name)->click(); };
  press("OptFile");
  fakes.dialogs.file_choices.push_back({"/home/user/Documents", {"tax-2025.pdf", "letters.odt"}});
  for (Shot shot : {Shot{velmora::Page::Selection, "options"}, Shot{velmora::Page::Result, "list"},
                    Shot{velmora::Page::Final, "result"}, Shot{velmora::Page::About, "about"}}) {
    if (shot.page == velmora::Page::Result) {
      press("cmdNext");
      press("cmdAdd");
    }
    if (shot.page == velmora::Page::Final)
      window.findChild<QLabel*>("lblResultCaption")
          ->setText("Velmora has shred the Ones and Zeros Technique and 3 Number of times");
    window.BringToFront(shot.page);
    app.processEvents();
    window.grab().save(folder + "/" + shot.name + ".png");
  }
  return 0;
}
