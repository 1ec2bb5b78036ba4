// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// FrmMain: Velmora's one window. It turns the user's clicks into calls on the
// shred list rules and the shred run, and their results into captions and
// messages. Handlers are named after the control and the event.
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
  bool Form_Load(const std::vector<std::string>& hand_over = {});

  // Page flow.
  void BringToFront(Page page);
  void SendToBack(Page page);
  Page FrontPage() const { return pages_.Front(); }
  const PageOrder& pageOrder() const { return pages_; }
  QFrame* PageFrame(Page page) const { return frames_.at(page); }

  // State the shred run reads.
  const ShredOptions& options() const { return options_; }
  const ShredList& shredList() const { return list_; }
  const AppEnvironment& environment() const { return env_; }

  // Handlers.
  void OptFile_Click();
  void OptFolder_Click();
  void cmdNext_Click();
  void cmdBack_Click();
  void cmdBack1_Click();
  void mnuAbout_Click();
  void cmdOK_Click();
  void cmdReset_Click();
  void cmdAdd_Click();
  void cmdClear_Click();
  void cmdRemove_Click();
  void cmdLog_Click();
  void cmdExit_Click();
  void cmdEx_Click();
  void cmdFinish_Click();
  void mnuExit_Click();
  void cmdExt_Click();
  void mnuOnline_Click();
  void mnuVisit_Click();
  void Label14_Click();
  void Label15_Click();
  // "&Wipe Free Space..." (File menu): not one of the wizard's pages; it
  // runs on the shred run's worker, with its progress dialog and Stop.
  void mnuWipeFreeSpace_Click();

  // The shred run goes on a worker thread; these follow it.
  bool Running() const;
  RunProgress& runProgress() { return *progress_; }

  // Ways out that do not come from the window. A signal or quit stops a run
  // in progress first (it ends at its next write); the end of the
  // session only removes the report.
  void CloseRequested();
  void Session_CommitData();
  void Application_AboutToQuit();

 signals:
  // Everything after a run is done: caption, list, result page, warning box.
  void shredRunEnded();
  // A free-space wipe has ended and its box was shown.
  void freeSpaceWipeEnded();

 public:
  // Adds what a chooser handed back in the mode selected now, with the
  // rules' message, "&Shred Now" and the list as cmdAdd does. A path handed
  // in from outside (command line, drop) comes here as a single choice.
  void AddChosen(const std::string& chosen);

  // Takes the selected rows off the shred list ("Remove from List", Delete).
  void RemoveSelectedItems();

  // Paths a second copy handed over: the window comes forward at once; the
  // paths wait while a run goes or a dialog is open.
  void HandOver_Received(std::vector<std::string> paths);

  // The window's dialogs, counted (see DialogWatch).
  Dialogs& dialogs() { return platform_.dialogs; }

  // The user guide ("Online Help" and "Visit Us Online" without a web site).
  void OpenGuide();

  // Controls, by their names.
  QLabel* Pic;
  QFrame *fraSelection, *fraResult, *fraFinal, *fraAbout, *Frame3;
  QLabel *Label1, *Label2, *Image1, *Image2, *Label5, *Label6;
  QRadioButton *OptFolder, *OptFile;
  QComboBox *cboOverwriteNoOfTimes, *cboOverwriteWith;
  QPushButton *cmdExit, *cmdNext;
  QLabel *Label3, *Label10, *Label11;
  QTreeWidget *ListFiles, *NoExtension;
  QPushButton *cmdAdd, *cmdClear, *cmdRemove, *cmdBack, *cmdEx;
  QLabel* lblResultCaption;
  QPushButton *cmdLog, *cmdBack1, *cmdFinish;
  QLabel *Label16, *Label13;
  LinkLabel *Label14, *Label15;
  QPushButton* cmdOK;
  QPushButton *cmdReset, *cmdExt;
  QAction *mnuExit, *mnuOnline, *mnuVisit, *mnuAbout;
  QAction* mnuWipeFreeSpace;

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
  void Connect();

  void ApplyPageOrder();
  void ShowShredList();
  void ClearShredList();
  void DeselectModes();
  void Form_Unload();
  void ShredRun_Finished();
  void FreeSpace_Finished();
  AddContext RulesContext() const;
  bool Busy() const;
  void TakeWaitingPaths();

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
