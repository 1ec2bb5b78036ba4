// SPDX-License-Identifier: GPL-3.0-or-later
// Writes a PNG of each of the window's four pages into the folder given.
#include <QApplication>
#include <QDir>

#include "platform/fake_platform.h"
#include "shell/frm_main.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString("docs/screenshots");
  QDir().mkpath(folder);

  velmora::FakePlatform fakes;
  fakes.settings.values["LastUpdate"] = "2026-12-07";
  velmora::AppEnvironment env = velmora::ReadAppEnvironment();
  velmora::FrmMain window(fakes.platform(), env);
  window.Form_Load();
  window.show();

  struct Shot {
    velmora::Page page;
    const char* name;
  };
  window.OptFile->click();
  fakes.dialogs.file_choices.push_back(std::string("/home/user/Documents") + '\0' + "tax-2025.pdf" + '\0' +
                                       "letters.odt");
  for (Shot shot : {Shot{velmora::Page::Selection, "options"}, Shot{velmora::Page::Result, "list"},
                    Shot{velmora::Page::Final, "result"}, Shot{velmora::Page::About, "about"}}) {
    if (shot.page == velmora::Page::Result) {
      window.cmdNext->click();
      window.cmdAdd->click();
    }
    if (shot.page == velmora::Page::Final)
      window.lblResultCaption->setText("Velmora has shred the Ones and Zeros Technique and 3 Number of times");
    window.BringToFront(shot.page);
    app.processEvents();
    window.grab().save(folder + "/" + shot.name + ".png");
  }
  return 0;
}
