// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// FrmMain: Velmora's one window. It turns the user's clicks into calls on the
// shred list rules and the shred run, and their results into captions and
// messages. Its controls are private and named for their role; each keeps
// the object name the program has always given it (cmdRemove is "&Shred
// Now"), which accessibility and the tests find it by.
#include <QAction>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QMainWindow>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>

#include <deque>
#include <map>
#include <memory>

#include "engine/shred_options.h"
#include "freespace/free_space_leftover.h"
#include "platform/platform.h"
#include "report/report_keeper.h"
#include "run/shred_run.h"
#include "shell/app_environment.h"
#include "shell/dialog_watch.h"
#include "shell/link_label.h"
#include "shell/page_order.h"
#include "shell/settings_record.h"
#include "shell/web_links.h"
#include "shredlist/add_rules.h"

namespace velmora {

class InputGuard;
class RunProgress;
class ShredJob;
struct FreeSpaceRun;

class FrmMain : public QMainWindow {
  Q_OBJECT
 public:
  FrmMain(Platform platform, AppEnvironment environment, QWidget* parent = nullptr);

  // The start-up sequence. False when another copy already runs (or the
  // program was closed meanwhile): it must then end without showing the
  // window. `hand_over` (absolute paths) goes to a copy that already runs,
  // which then shows no box here.
  bool StartUp(const std::vector<std::string>& hand_over = {});

  // Page flow.
  void BringToFront(Page page);
  void SendToBack(Page page);
  Page FrontPage() const { return pages_.Front(); }
  const PageOrder& pageOrder() const { return pages_; }

  // The choices "&Next >>" took and the shred list as they stand.
  const ShredOptions& options() const { return options_; }
  const ShredList& shredList() const { return list_; }

  // The list page as if a mode had been chosen and "&Next >>" pressed:
  // folder mode when `folders`, file mode otherwise.
  void OpenListPage(bool folders);
  // Whether file mode is selected; "&Add File / Folder To Shred" adds
  // folders otherwise.
  bool FileModeSelected() const;

  // The shred run goes on a worker thread; these follow it.
  bool Running() const;
  RunProgress& runProgress() { return *progress_; }

  // Ways out that do not come from the window. A signal or quit stops a run
  // in progress first (it ends at its next write); the end of the
  // session only removes the report.
  void CloseRequested();
  void SessionCommitting();
  void AboutToQuit();

 signals:
  // Everything after a run is done: caption, list, result page, warning box.
  void shredRunEnded();
  // A free-space wipe has ended and its box was shown.
  void freeSpaceWipeEnded();

 public:
  // Adds what a chooser handed back in the mode selected now, with the
  // rules' message, "&Shred Now" and the list as "&Add File / Folder To
  // Shred" does. A path handed in from outside (command line, drop) comes
  // here as a single choice.
  void AddChosen(const std::string& chosen);

  // Paths a second copy handed over: the window comes forward at once; the
  // paths wait while a run goes or a dialog is open.
  void ReceiveHandOver(std::vector<std::string> paths);

  // Whether the add rules would list any of `paths` in the mode given,
  // the list as it is now, when each is added alone as a choice; nothing on
  // the list or in the window changes. With `tell`, each refusal's message
  // is shown as an add would show it.
  bool WouldListAny(const std::vector<std::string>& paths, bool folders, bool tell);
  // The result page's "Back" (its report shredded), then the list page in
  // the mode given.
  void LeaveResultForList(bool folders);

  // The window's dialogs, counted (see DialogWatch).
  Dialogs& dialogs() { return platform_.dialogs; }

  // The user guide ("Online Help" and "Visit Us Online" without a web site).
  void OpenGuide();

 protected:
  // The close step, however the window is closed.
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildWindow();
  void BuildOptionsPage();
  void BuildListPage();
  void BuildResultPage();
  void BuildAboutPage();
  void BuildPanel();
  void BuildMenu();
  void SetTabOrder();
  void SetUpKeyboard();
  void Connect();

  // What the controls do.
  void ChooseFileMode();
  void ChooseFolderMode();
  void Next();
  void BackToOptions();
  void StartAgain();
  void ShowAbout();
  void CloseAbout();
  void Reset();
  void ChooseAndAdd();
  void ShowAddOutcome(const AddOutcome& outcome);
  void ClearList();
  void RemoveSelectedItems();
  void ShredNow();
  void OpenReport();
  void Finish();
  void ExitFromMenu();
  void CloseEveryWindow();
  // "&Wipe Free Space..." (File menu): not one of the wizard's pages; it
  // runs on the shred run's worker, with its progress dialog and Stop.
  void StartFreeSpaceWipe();

  void ApplyPageOrder();
  void ShowShredList();
  void ClearShredList();
  void DeselectModes();
  void CloseStep();
  void ShredRunFinished();
  void ShowResult(const ShredRunResult& result);
  // Gives the result caption the lines its text takes and puts the note
  // below it: a translation may wrap to more lines than the English.
  void FitResultTexts();
  void FreeSpaceFinished();
  AddContext RulesContext() const;
  bool Busy() const;
  void TakeWaitingPaths();

  // The controls, page by page, as the window shows them.
  QLabel* bannerPicture;
  QFrame *optionsPage, *listPage, *resultPage, *aboutPage;
  // Options page.
  QLabel *optionsTitle, *optionsIntro, *folderIcon, *fileIcon, *passCountCaption, *techniqueCaption;
  QRadioButton *folderModeButton, *fileModeButton;
  QComboBox *passCountBox, *techniqueBox;
  QPushButton *optionsExitButton, *nextButton;
  // List page: the names the user sees in front, their paths behind.
  QLabel *listHeading, *listIntro, *listWarning;
  QTreeWidget *pathListView, *shredListView;
  QPushButton *addButton, *clearButton, *shredNowButton, *backButton, *listExitButton;
  // Result page.
  QLabel *resultCaption, *resultNote;
  QPushButton *reportButton, *startAgainButton, *finishButton;
  // About page.
  QLabel *aboutTitle, *aboutText;
  LinkLabel *homeLink, *contactLink;
  QPushButton* aboutOkButton;
  // The panel below the client area, reached through access keys only.
  QFrame* hiddenPanel;
  QPushButton *resetButton, *panelExitButton;
  QAction *exitAction, *onlineHelpAction, *visitAction, *aboutAction, *wipeFreeSpaceAction;

  DialogWatch dialogs_;  // before platform_, which hands it out
  Platform platform_;
  AppEnvironment env_;
  WebLinks links_;
  PageOrder pages_;
  std::map<Page, QFrame*> frames_;
  ShredOptions options_;
  ShredList list_;
  SettingsRecord report_record_;
  ReportKeeper report_;  // note.txt: where it is, writing it, shredding it
  bool unloaded_ = false;
  ShredJob* job_;
  RunProgress* progress_;
  InputGuard* input_guard_;
  bool close_after_run_ = false;
  std::deque<std::vector<std::string>> waiting_paths_;  // handed over, not yet taken
  QPointer<QWidget> report_window_;  // the report shown by the program itself
  SettingsRecord fill_record_;
  FillKeeper fill_keeper_;  // fill folders of free-space wipes, by identity
  std::shared_ptr<FreeSpaceRun> free_space_;  // while a wipe is going
};

// Closes every top-level window of the program.
void CloseAllWindows();

}  // namespace velmora
