// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/frm_main.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QTimer>

#include <algorithm>

#include "engine/pass_positions.h"
#include "platform/qt_platform.h"
#include "run/shred_run.h"
#include "shell/drop_target.h"
#include "shell/input_guard.h"
#include "shell/outcome_box.h"
#include "shell/path_intake.h"
#include "shell/shred_job.h"
#include "shell/shred_progress.h"
#include "shell/storage_notice.h"
#include "shell/text_window.h"
#include "shell/update_reminder.h"
#include "shredlist/program_paths.h"

namespace velmora {
namespace {

constexpr const char* kTitle = "Velmora";

}  // namespace

FrmMain::FrmMain(Platform platform, AppEnvironment environment, QWidget* parent)
    : QMainWindow(parent), dialogs_(platform.dialogs),
      platform_{dialogs_, platform.shell, platform.clock, platform.settings, platform.instance, platform.hand_over},
      env_(std::move(environment)), links_(platform.shell, env_.addresses, [this] { OpenGuide(); }),
      report_record_(platform.settings, kReportIdentityKey),
      report_({env_.program.folder, env_.state_folder}, report_record_), job_(new ShredJob(this)),
      progress_(new RunProgress(*job_, *this)), input_guard_(new InputGuard(this)),
      fill_record_(platform.settings, kFreeSpaceFillKey), fill_keeper_(fill_record_) {
  BuildWindow();
  Connect();
  connect(job_, &ShredJob::Finished, this, &FrmMain::ShredRun_Finished);
  // Paths handed over while a dialog was open are taken once it is closed,
  // from the event loop, after whatever opened the dialog has finished.
  dialogs_.OnAllClosed([this] { QTimer::singleShot(0, this, &FrmMain::TakeWaitingPaths); });
  new DropTarget(
      fraResult, [this] { return FrontPage() == Page::Result && cmdAdd->isEnabled(); },
      [this](const std::vector<std::string>& paths) { AddDroppedPaths(*this, platform_.dialogs, paths); });
  // Until the start-up sequence runs, the window shows its designed state.
  BringToFront(Page::Selection);
}

void FrmMain::Connect() {
  connect(OptFile, &QRadioButton::clicked, this, &FrmMain::OptFile_Click);
  connect(OptFolder, &QRadioButton::clicked, this, &FrmMain::OptFolder_Click);
  connect(cmdNext, &QPushButton::clicked, this, &FrmMain::cmdNext_Click);
  connect(cmdBack, &QPushButton::clicked, this, &FrmMain::cmdBack_Click);
  connect(cmdBack1, &QPushButton::clicked, this, &FrmMain::cmdBack1_Click);
  connect(mnuAbout, &QAction::triggered, this, &FrmMain::mnuAbout_Click);
  connect(cmdOK, &QPushButton::clicked, this, &FrmMain::cmdOK_Click);
  connect(cmdReset, &QPushButton::clicked, this, &FrmMain::cmdReset_Click);
  connect(cmdAdd, &QPushButton::clicked, this, &FrmMain::cmdAdd_Click);
  connect(cmdClear, &QPushButton::clicked, this, &FrmMain::cmdClear_Click);
  connect(cmdRemove, &QPushButton::clicked, this, &FrmMain::cmdRemove_Click);
  connect(cmdLog, &QPushButton::clicked, this, &FrmMain::cmdLog_Click);
  connect(cmdExit, &QPushButton::clicked, this, &FrmMain::cmdExit_Click);
  connect(cmdEx, &QPushButton::clicked, this, &FrmMain::cmdEx_Click);
  connect(cmdFinish, &QPushButton::clicked, this, &FrmMain::cmdFinish_Click);
  connect(mnuExit, &QAction::triggered, this, &FrmMain::mnuExit_Click);
  connect(cmdExt, &QPushButton::clicked, this, &FrmMain::cmdExt_Click);
  connect(mnuOnline, &QAction::triggered, this, &FrmMain::mnuOnline_Click);
  connect(mnuVisit, &QAction::triggered, this, &FrmMain::mnuVisit_Click);
  connect(Label14, &LinkLabel::clicked, this, &FrmMain::Label14_Click);
  connect(Label15, &LinkLabel::clicked, this, &FrmMain::Label15_Click);
  connect(mnuWipeFreeSpace, &QAction::triggered, this, &FrmMain::mnuWipeFreeSpace_Click);
}

// ---- Page flow -----------------------------------------------------------

void FrmMain::BringToFront(Page page) {
  pages_.BringToFront(page);
  ApplyPageOrder();
}

void FrmMain::SendToBack(Page page) {
  pages_.SendToBack(page);
  ApplyPageOrder();
}

void FrmMain::ApplyPageOrder() {
  // Stack the frames back to front; only the front page is shown, so pages
  // behind it take neither focus nor access keys.
  const auto& order = pages_.FrontToBack();
  for (auto it = order.rbegin(); it != order.rend(); ++it) frames_.at(*it)->raise();
  for (const auto& [p, frame] : frames_) frame->setVisible(p == pages_.Front());
}

void FrmMain::DeselectModes() {
  // Clearing a button is not a click: the list heading keeps its text.
  for (QRadioButton* option : {OptFile, OptFolder}) {
    option->setAutoExclusive(false);
    option->setChecked(false);
    option->setAutoExclusive(true);
  }
}

void FrmMain::OptFile_Click() {
  cmdNext->setEnabled(true);
  Label3->setText("Select Files to Shred:");
  Label3->adjustSize();
}

void FrmMain::OptFolder_Click() {
  cmdNext->setEnabled(true);
  Label3->setText("Select a Folder to Shred:");
  Label3->adjustSize();
}

void FrmMain::cmdNext_Click() {
  BringToFront(Page::Result);
  options_.FolderMode = OptFolder->isChecked();
  options_.OverwriteNoOfTimes = PassCountAt(cboOverwriteNoOfTimes->currentIndex()).value_or(0);
  options_.OverwriteWith = cboOverwriteWith->currentText().toStdString();
}

void FrmMain::cmdBack_Click() {
  cmdRemove->setEnabled(false);
  ClearShredList();
  BringToFront(Page::Selection);
  DeselectModes();
  cmdNext->setEnabled(false);
}

void FrmMain::cmdBack1_Click() {
  cmdRemove->setEnabled(false);
  report_.Delete();
  if (report_window_) report_window_->close();  // the report is gone
  BringToFront(Page::Selection);
}

void FrmMain::mnuAbout_Click() { BringToFront(Page::About); }

void FrmMain::cmdOK_Click() { SendToBack(Page::About); }

void FrmMain::cmdReset_Click() {
  BringToFront(Page::Selection);
  DeselectModes();
  cmdNext->setEnabled(false);
}

// ---- The shred list ------------------------------------------------------

AddContext FrmMain::RulesContext() const {
  return RulesContextFor(env_.program, env_.mount_points);
}

void FrmMain::ShowShredList() {
  // The two views hold the list in step: paths behind, names in front.
  ListFiles->clear();
  NoExtension->clear();
  for (const ShredListItem& item : list_) {
    new QTreeWidgetItem(ListFiles, {FromLocalPath(item.path)});
    auto* row = new QTreeWidgetItem(NoExtension, {FromLocalPath(item.name)});
    row->setToolTip(0, FromLocalPath(item.path));
  }
}

void FrmMain::ClearShredList() {
  list_.clear();
  ListFiles->clear();
  NoExtension->clear();
}

void FrmMain::cmdAdd_Click() {
  AddChosen(OptFile->isChecked() ? platform_.dialogs.ChooseFiles(kFileChooserTitle)
                                 : platform_.dialogs.ChooseFolder(""));
}

void FrmMain::AddChosen(const std::string& chosen) {
  AddOutcome outcome;
  if (OptFile->isChecked()) {
    outcome = AddFiles(chosen, RulesContext(), list_);
  } else {
    outcome = AddFolder(chosen, RulesContext(), list_, options_.FolderToShred);
  }
  if (outcome.message != AddMessage::None)
    platform_.dialogs.ShowMessage(MessageText(outcome.message), kTitle, MessageIcon::Critical,
                                  MessageButtons::Ok);
  if (outcome.remove_enabled) cmdRemove->setEnabled(*outcome.remove_enabled);
  ShowShredList();
}

void FrmMain::cmdClear_Click() {
  cmdRemove->setEnabled(false);
  ClearShredList();
}

void FrmMain::RemoveSelectedItems() {
  std::vector<int> rows;
  for (QTreeWidgetItem* item : NoExtension->selectedItems()) rows.push_back(NoExtension->indexOfTopLevelItem(item));
  if (rows.empty()) return;
  std::sort(rows.rbegin(), rows.rend());
  for (int row : rows) list_.erase(list_.begin() + row);
  ShowShredList();
  if (list_.empty()) {
    cmdRemove->setEnabled(false);  // as "&Clear" leaves it
    return;
  }
  // The row after the last one removed takes the selection, so Delete can
  // go on down the list.
  const int next = std::min(rows.back(), NoExtension->topLevelItemCount() - 1);
  NoExtension->setCurrentItem(NoExtension->topLevelItem(next));
}

// ---- The shred run and its report ----------------------------------------

void FrmMain::cmdRemove_Click() {
  // The worker gets its own copy of all it reads, the report's date and
  // time included (read here, in the report's order).
  std::string date = platform_.clock.ShortDateNow();
  std::string time = platform_.clock.ShortTimeNow();
  ShredOrder order{options_, list_, cboOverwriteNoOfTimes->currentIndex(), &report_, date, time};
  if (!job_->Start(std::move(order))) return;  // one run at a time, however the click came
  if (report_window_) report_window_->close();  // its report is shredded by this run
  input_guard_->Engage();
  progress_->Begin(options_.FolderMode, list_.empty() ? std::string() : list_.front().path);
}

bool FrmMain::Running() const { return job_->Running(); }

void FrmMain::ShredRun_Finished() {
  if (free_space_) {
    FreeSpace_Finished();
    return;
  }
  progress_->End();
  input_guard_->Release();
  const ShredRunResult& result = job_->Result();
  lblResultCaption->setText(QString::fromStdString(result.caption));
  const ShredList shredded = list_;
  ClearShredList();
  BringToFront(Page::Final);
  QTimer::singleShot(0, this, &FrmMain::TakeWaitingPaths);
  // A close asked for during the run follows now; a message box would hold
  // up a logout or a kill.
  if (close_after_run_) {
    Form_Unload();
  } else {
    // The result page says what was meant; this says what was left, and
    // where the disk may keep old copies of what was shredded.
    ShowRunOutcome(platform_.dialogs, platform_.settings, shredded, result);
  }
  emit shredRunEnded();
}

void FrmMain::cmdLog_Click() {
  const std::string path = report_.Path();
  QPointer<FrmMain> self(this);
  platform_.shell.OpenFile(path, [self, path] {
    // No viewer took it: the report is shown here, as long as it is the
    // same report and still there.
    if (!self || self->report_.Path() != path || !QFile::exists(FromLocalPath(path))) return;
    if (self->report_window_) self->report_window_->close();
    self->report_window_ = ShowReportWindow(self, path);
  });
}

void FrmMain::OpenGuide() {
  QPointer<FrmMain> self(this);
  auto inside = [self] {
    if (self) ShowGuideWindow(self, self->env_.guide);
  };
  if (env_.guide.empty() || !QFile::exists(FromLocalPath(env_.guide)))
    inside();
  else
    platform_.shell.OpenFile(env_.guide, inside);
}

// ---- Start-up and every way out ------------------------------------------

bool FrmMain::Form_Load(const std::vector<std::string>& hand_over) {
  if (!platform_.instance.TryAcquire()) {
    // The other copy's report and the farewell page are not ours to touch:
    // the refusal ends without the close step. Paths go to the other copy;
    // only when it cannot take them is the user told.
    unloaded_ = true;
    if (!hand_over.empty() && platform_.hand_over.Send(hand_over)) return false;
    platform_.dialogs.ShowMessage(std::string(kTitle) + " Is Already Running", kTitle, MessageIcon::Critical,
                                  MessageButtons::Ok);
    return false;
  }
  // Only the holder of the lock may take over a socket a dead copy left.
  if (platform_.instance.Holds())
    platform_.hand_over.Listen([this](std::vector<std::string> paths) { HandOver_Received(std::move(paths)); });
  report_.Delete();  // the report of a session that was killed
  fill_keeper_.RemoveLeftovers();  // and a free-space fill it left, holding a disk full
  RunUpdateReminder(platform_.settings, platform_.clock, platform_.dialogs, links_);
  BringToFront(Page::Selection);
  cmdNext->setEnabled(false);
  cboOverwriteNoOfTimes->setCurrentIndex(kDefaultPassPosition);
  cboOverwriteWith->setCurrentIndex(0);
  cmdRemove->setEnabled(false);
  // A signal may have closed the program while the reminder asked.
  return !unloaded_;
}

void FrmMain::Form_Unload() {
  if (unloaded_) return;  // once per close, however it was reached
  unloaded_ = true;
  report_.Delete();
  CloseAllWindows();
  links_.OpenFarewellPage();
  platform_.hand_over.Close();  // while the lock still keeps the next copy out
  platform_.instance.Release();
}

void FrmMain::closeEvent(QCloseEvent* event) {
  if (Running()) {
    // Closing is not refused, only put off until the run has stopped.
    event->ignore();
    CloseRequested();
    return;
  }
  Form_Unload();
  event->accept();
}

void FrmMain::CloseRequested() {
  if (!Running()) {
    Form_Unload();
    return;
  }
  close_after_run_ = true;
  progress_->RequestStop();
}

void FrmMain::Session_CommitData() { report_.Delete(); }

void FrmMain::Application_AboutToQuit() {
  if (Running()) {
    // No event loop will deliver the run's end: wait for it here.
    close_after_run_ = true;
    progress_->RequestStop();
    job_->Wait();
  }
  Form_Unload();
}

void FrmMain::cmdExit_Click() { close(); }

void FrmMain::cmdEx_Click() { close(); }

void FrmMain::cmdFinish_Click() {
  report_.Delete();
  CloseAllWindows();
}

void FrmMain::mnuExit_Click() {
  report_.Delete();  // a missing report is no failure
  cmdExit_Click();
}

void FrmMain::cmdExt_Click() { CloseAllWindows(); }

void FrmMain::mnuOnline_Click() { links_.OpenFeaturesPage(); }
void FrmMain::mnuVisit_Click() { links_.OpenHomePage(); }
void FrmMain::Label14_Click() { links_.OpenHomePage(); }
void FrmMain::Label15_Click() { links_.OpenContactPage(); }

// ---- Paths from a second copy --------------------------------------------

void FrmMain::HandOver_Received(std::vector<std::string> paths) {
  if (unloaded_) return;
  // Brought forward for the user who asked for it from the file manager.
  setWindowState(windowState() & ~Qt::WindowMinimized);
  raise();
  activateWindow();
  waiting_paths_.push_back(std::move(paths));
  // Taken from the event loop: never inside the socket's own handler.
  QTimer::singleShot(0, this, &FrmMain::TakeWaitingPaths);
}

bool FrmMain::Busy() const {
  return unloaded_ || Running() || dialogs_.Open() || QApplication::activeModalWidget() != nullptr;
}

void FrmMain::TakeWaitingPaths() {
  // Each hand-over is taken whole; one that opens a box holds the next back
  // until the box is closed.
  while (!waiting_paths_.empty() && !Busy()) {
    std::vector<std::string> paths = std::move(waiting_paths_.front());
    waiting_paths_.pop_front();
    TakeHandedOverPaths(*this, platform_.dialogs, paths);
  }
}

void CloseAllWindows() { CloseAllTopLevelWindows(); }

}  // namespace velmora
