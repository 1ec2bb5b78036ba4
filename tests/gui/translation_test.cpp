// SPDX-License-Identifier: GPL-3.0-or-later
// Every text the window shows goes through Qt's translation: under a
// translator that marks each text it hands out, nothing a page, a menu, a
// box, the progress dialog or the report and help windows show may be left
// unmarked. The German translation, found as LANGUAGE=de asks, turns the
// options page German; English first in the user's languages keeps English.
#include <QRegularExpression>

#include "platform/qt_platform.h"
#include "shell/path_intake.h"
#include "support/fake_fill_disk.h"
#include "window_fixture.h"

namespace velmora::testing {
namespace {

class MarkingTranslator : public QTranslator {
 public:
  QString translate(const char*, const char* source, const char*, int) const override {
    return u'\x27e6' + QString::fromUtf8(source) + u'\x27e7';
  }
  bool isEmpty() const override { return false; }
};

// Letters left once the marked parts and the user's own data (anything
// with a "/" in it: paths, addresses) are taken out escaped translation.
bool Escaped(const QString& text) {
  QString left;
  int depth = 0;
  for (QChar c : text) {
    if (c == u'\x27e6') ++depth;
    else if (c == u'\x27e7') --depth;
    else if (depth == 0) left += c;
  }
  left.remove(QRegularExpression("\\S*/\\S*"));
  return left.contains(QRegularExpression("[A-Za-z]"));
}

// What a window and its children show or tell a screen reader.
QStringList Shown(QWidget* top) {
  QStringList texts{top->windowTitle()};
  for (QWidget* w : top->findChildren<QWidget*>()) {
    if (!w->isVisibleTo(top)) continue;
    texts << w->toolTip() << w->accessibleName() << w->accessibleDescription();
    if (auto* label = qobject_cast<QLabel*>(w)) texts << label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(w)) texts << button->text();
    if (auto* list = qobject_cast<QTreeWidget*>(w)) texts << list->headerItem()->text(0);
    if (auto* combo = qobject_cast<QComboBox*>(w))
      for (int i = 0; i < combo->count(); ++i) texts << combo->itemText(i);
  }
  for (QAction* action : top->findChildren<QAction*>()) texts << action->text();
  return texts;
}

class Translation : public WindowTest {
 protected:
  ~Translation() override { RemoveTranslators(); }
  void Check(const QStringList& texts, const char* where) {
    for (const QString& text : texts) EXPECT_FALSE(Escaped(text)) << where << ": " << text.toStdString();
  }
  void Check(QWidget* top, const char* where) { Check(Shown(top), where); }
  void CheckBoxes() {
    QStringList texts;
    for (const ShownMessage& box : fakes.dialogs.messages)
      texts << QString::fromStdString(box.text) << QString::fromStdString(box.title);
    for (const auto& [index, check_box] : fakes.dialogs.check_boxes) texts << QString::fromStdString(check_box);
    for (const auto& title : fakes.dialogs.file_titles) texts << QString::fromStdString(title);
    for (const auto& title : fakes.dialogs.folder_titles) texts << QString::fromStdString(title);
    Check(texts, "box");
  }
};

TEST_F(Translation, EveryPageMenuBoxAndDialogShowsOnlyTranslatedTexts) {
  auto* marking = new MarkingTranslator;
  marking->setParent(qApp);  // removed with the others at the end
  QCoreApplication::installTranslator(marking);
  fakes.settings.values["LastUpdate"] = fakes.clock.today.addDays(-20).toString(Qt::ISODate);
  fakes.shell.file_fails = true;  // the report and the guide in windows of their own
  // A flash drive beneath, for the box's second section and its check box.
  storage.files["/sys/dev/block/259:0/wwid"] = "eui.1\n";
  storage.Disk("259:0", "nvme0n1", /*rotational=*/false);
  storage.Mount(MountIdOf(dir.path()), "259:0", "ext4");
  fakes.instance.other_copy_running = true;
  FrmMain(fakes.platform(), env).StartUp();  // "... Is Already Running"
  fakes.instance.other_copy_running = false;
  FrmMain& w = OpenShown();
  Check(&w, "options page");
  ChooseMode(w, true);
  Check(&w, "list page, folder mode");
  Control(w, "cmdBack")->click();
  ChooseMode(w, false);
  Check(&w, "list page, file mode");
  WriteText(dir / "prog/velmora", "");
  WriteFile(dir / "ro", {}, 0444);
  WriteText(dir / "big", std::string(3 << 20, 'x'));
  AddFiles(w, {dir / "prog/velmora", dir / "ro", dir / "big"});
  OpenListWithPaths(w, w.dialogs(), {dir / "missing"}, "");
  {
    HeldRun run(w, HoldCallOn::Call::Pwrite, dir / "big", 1 << 20);
    ShredProgressDialog* dialog = ShowProgress(w);
    ASSERT_TRUE(dialog);
    Check(dialog, "progress dialog");
    dialog->stopButton()->click();
    Check(dialog, "progress dialog, stopping");
    run.End();
  }
  Check(&w, "result page");
  Control(w, "cmdLog")->click();
  Control<QAction>(w, "mnuOnline")->trigger();
  for (QWidget* window : QApplication::topLevelWidgets())
    if (window != &w && window->isVisible()) Check(window, "report or guide window");
  Control<QAction>(w, "mnuAbout")->trigger();
  Check(&w, "about page");
  FakeFillDisk disk(1 << 20);
  disk.HoldAt(FakeFillDisk::kSync);
  MakeDir(dir / "disk");
  fakes.dialogs.folder_choices = {dir / "disk"};
  fakes.dialogs.answers = {MessageAnswer::Yes};
  QSignalSpy wiped(&w, &FrmMain::freeSpaceWipeEnded);
  Control<QAction>(w, "mnuWipeFreeSpace")->trigger();
  disk.WaitUntilHeld();
  Check(ShowProgress(w), "free-space progress dialog");
  disk.Release();
  WaitUntil([&] { return !wiped.isEmpty(); });
  CheckBoxes();
  EXPECT_GE(fakes.dialogs.messages.size(), 6u);
}

// The options page in German under LANGUAGE=de (this test program's
// environment), from the .qm the build made.
TEST_F(Translation, GermanUnderLanguageDe) {
  ASSERT_EQ(qgetenv("LANGUAGE"), "de");
  ASSERT_TRUE(InstallVelmoraTranslations(*qApp, VELMORA_TRANSLATIONS));
  FrmMain& w = Open();
  const std::vector<std::pair<QString, QString>> shown = {
      {Text(w, "OptFolder"), "Ordner vernichten"},
      {Text(w, "OptFile"), "Dateien vernichten"},
      {Text(w, "Label5"), "Anzahl Überschreibungen"},
      {Text(w, "Label6"), "Überschreiben mit"},
      {Control<QComboBox>(w, "cboOverwriteWith")->itemText(0), "Einsen und Nullen"},
      {Text(w, "cmdExit"), "&Beenden"},
      {Text(w, "cmdNext"), "&Weiter >>"}};
  for (const auto& [text, german] : shown) EXPECT_EQ(text, german);
  // Longer than their English, and not cut.
  for (const char* name : {"OptFolder", "OptFile", "Label5", "Label6", "cboOverwriteWith"})
    EXPECT_LE(Control<QWidget>(w, name)->sizeHint().width(), Control<QWidget>(w, name)->width()) << name;
}

// The first of the user's languages that has a translation, unless English
// comes before it.
TEST_F(Translation, FirstLanguageWithATranslationUnlessEnglishComesFirst) {
  const struct {
    QStringList languages;
    bool installed;
    const char* text;
  } rows[] = {{{"fr-CA", "de"}, true, "Détruire des fichiers"},
              {{"es", "de-AT"}, true, "Dateien vernichten"},
              {{"en-GB", "de"}, false, "Shred File(s)"},
              {{"C"}, false, "Shred File(s)"}};
  for (const auto& row : rows) {
    EXPECT_EQ(InstallVelmoraTranslations(*qApp, VELMORA_TRANSLATIONS, row.languages), row.installed);
    EXPECT_EQ(QCoreApplication::translate("velmora::FrmMain", "Shred File(s)"), row.text);
    RemoveTranslators();
  }
}

}  // namespace
}  // namespace velmora::testing
