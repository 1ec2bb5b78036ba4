// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/frm_main.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QTimer>

#include <algorithm>
#include <cstdio>

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
#include "shell/ui_texts.h"
#include "shell/update_reminder.h"
#include "shredlist/program_paths.h"

namespace velmora {
namespace {


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
  connect(job_, &ShredJob::Finished, this, &FrmMain::ShredRunFinished);
  // The progress dialog is not modal: the guard lets it take input, and Esc
  // in any of the program's windows during a run is Stop.
  connect(progress_, &RunProgress::dialogShown, input_guard_, &InputGuard::Allow);
  connect(input_guard_, &InputGuard::escapePressed, progress_, &RunProgress::RequestStop);
  // Paths handed over while a dialog was open are taken once it is closed,
  // from the event loop, after whatever opened the dialog has finished.
  dialogs_.OnAllClosed([this] { QTimer::singleShot(0, this, &FrmMain::TakeWaitingPaths); });
  new DropTarget(
      listPage, [this] { return FrontPage() == Page::Result && addButton->isEnabled(); },
      [this](const std::vector<std::string>& paths) { AddDroppedPaths(*this, platform_.dialogs, paths); });
  // Until the start-up sequence runs, the window shows its first state.
  BringToFront(Page::Selection);
}

void FrmMain::Connect() {
  connect(fileModeButton, &QRadioButton::clicked, this, &FrmMain::ChooseFileMode);
  connect(folderModeButton, &QRadioButton::clicked, this, &FrmMain::ChooseFolderMode);
  connect(nextButton, &QPushButton::clicked, this, &FrmMain::Next);
  connect(backButton, &QPushButton::clicked, this, &FrmMain::BackToOptions);
  connect(startAgainButton, &QPushButton::clicked, this, &FrmMain::StartAgain);
  connect(aboutAction, &QAction::triggered, this, &FrmMain::ShowAbout);
  connect(aboutOkButton, &QPushButton::clicked, this, &FrmMain::CloseAbout);
  connect(resetButton, &QPushButton::clicked, this, &FrmMain::Reset);
  connect(addButton, &QPushButton::clicked, this, &FrmMain::ChooseAndAdd);
  connect(clearButton, &QPushButton::clicked, this, &FrmMain::ClearList);
  connect(shredNowButton, &QPushButton::clicked, this, &FrmMain::ShredNow);
  connect(reportButton, &QPushButton::clicked, this, &FrmMain::OpenReport);
  for (QPushButton* exit : {optionsExitButton, listExitButton})
    connect(exit, &QPushButton::clicked, this, &FrmMain::close);
  connect(finishButton, &QPushButton::clicked, this, &FrmMain::Finish);
  connect(exitAction, &QAction::triggered, this, &FrmMain::ExitFromMenu);
  connect(panelExitButton, &QPushButton::clicked, this, &FrmMain::CloseEveryWindow);
  connect(onlineHelpAction, &QAction::triggered, this, [this] { links_.OpenFeaturesPage(); });
  connect(visitAction, &QAction::triggered, this, [this] { links_.OpenHomePage(); });
  connect(homeLink, &LinkLabel::clicked, this, [this] { links_.OpenHomePage(); });
  connect(contactLink, &LinkLabel::clicked, this, [this] { links_.OpenContactPage(); });
  connect(wipeFreeSpaceAction, &QAction::triggered, this, &FrmMain::StartFreeSpaceWipe);
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
  for (QRadioButton* option : {fileModeButton, folderModeButton}) {
    option->setAutoExclusive(false);
    option->setChecked(false);
    option->setAutoExclusive(true);
  }
}

void FrmMain::ChooseFileMode() {
  nextButton->setEnabled(true);
  listHeading->setText(tr("Select Files to Shred:"));
  listHeading->adjustSize();
}

void FrmMain::ChooseFolderMode() {
  nextButton->setEnabled(true);
  listHeading->setText(tr("Select a Folder to Shred:"));
  listHeading->adjustSize();
}

void FrmMain::OpenListPage(bool folders) {
  (folders ? folderModeButton : fileModeButton)->click();
  nextButton->click();
}

bool FrmMain::FileModeSelected() const { return fileModeButton->isChecked(); }

void FrmMain::Next() {
  BringToFront(Page::Result);
  options_.FolderMode = folderModeButton->isChecked();
  // Once, here: the count shown, the technique named and what the engine
  // writes all follow from these two choices.
  ChoosePasses(options_, passCountBox->currentIndex(), techniqueBox->currentIndex());
}

void FrmMain::BackToOptions() {
  shredNowButton->setEnabled(false);
  ClearShredList();
  BringToFront(Page::Selection);
  DeselectModes();
  nextButton->setEnabled(false);
}

void FrmMain::StartAgain() {
  shredNowButton->setEnabled(false);
  report_.Delete();
  if (report_window_) report_window_->close();  // the report is gone
  BringToFront(Page::Selection);
}

void FrmMain::LeaveResultForList(bool folders) {
  if (FrontPage() == Page::Final) StartAgain();
  OpenListPage(folders);
}

bool FrmMain::WouldListAny(const std::vector<std::string>& paths, bool folders, bool tell) {
  ShredList scratch = list_;
  std::string folder = options_.FolderToShred;
  bool any = false;
  for (const std::string& path : paths) {
    const AddOutcome outcome = folders ? AddFolder(path, RulesContext(), scratch, folder)
                                       : AddFiles(ChosenFiles(path), RulesContext(), scratch);
    any = any || scratch.size() > list_.size();
    if (tell && outcome.message != AddMessage::None)
      platform_.dialogs.ShowMessage(Utf8(UiText(MessageText(outcome.message))), BoxTitle(), MessageIcon::Critical,
                                    MessageButtons::Ok);
  }
  return any;
}

void FrmMain::ShowAbout() { BringToFront(Page::About); }

void FrmMain::CloseAbout() { SendToBack(Page::About); }

void FrmMain::Reset() {
  BringToFront(Page::Selection);
  DeselectModes();
  nextButton->setEnabled(false);
}

// ---- The shred list ------------------------------------------------------

AddContext FrmMain::RulesContext() const {
  return RulesContextFor(env_.program, env_.mount_points);
}

void FrmMain::ShowShredList() {
  // The two views hold the list in step: paths behind, names in front.
  pathListView->clear();
  shredListView->clear();
  for (const ShredListItem& item : list_) {
    new QTreeWidgetItem(pathListView, {FromLocalPath(item.path)});
    auto* row = new QTreeWidgetItem(shredListView, {FromLocalPath(item.name)});
    row->setToolTip(0, FromLocalPath(item.path));
  }
}

void FrmMain::ClearShredList() {
  list_.clear();
  pathListView->clear();
  shredListView->clear();
}

void FrmMain::ChooseAndAdd() {
  if (FileModeSelected())
    ShowAddOutcome(AddFiles(platform_.dialogs.ChooseFiles(Utf8(UiText(kFileChooserTitle))), RulesContext(), list_));
  else
    ShowAddOutcome(AddFolder(platform_.dialogs.ChooseFolder(""), RulesContext(), list_, options_.FolderToShred));
}

void FrmMain::AddChosen(const std::string& chosen) {
  if (FileModeSelected())
    ShowAddOutcome(AddFiles(ChosenFiles(chosen), RulesContext(), list_));
  else
    ShowAddOutcome(AddFolder(chosen, RulesContext(), list_, options_.FolderToShred));
}

void FrmMain::ShowAddOutcome(const AddOutcome& outcome) {
  if (outcome.message != AddMessage::None)
    platform_.dialogs.ShowMessage(Utf8(UiText(MessageText(outcome.message))), BoxTitle(), MessageIcon::Critical,
                                  MessageButtons::Ok);
  if (outcome.remove_enabled) shredNowButton->setEnabled(*outcome.remove_enabled);
  if (list_.empty()) shredNowButton->setEnabled(false);  // a refusal left nothing to shred
  ShowShredList();
}

void FrmMain::ClearList() {
  shredNowButton->setEnabled(false);
  ClearShredList();
}

void FrmMain::RemoveSelectedItems() {
  std::vector<int> rows;
  for (QTreeWidgetItem* item : shredListView->selectedItems()) rows.push_back(shredListView->indexOfTopLevelItem(item));
  if (rows.empty()) return;
  std::sort(rows.rbegin(), rows.rend());
  for (int row : rows) list_.erase(list_.begin() + row);
  ShowShredList();
  if (list_.empty()) {
    shredNowButton->setEnabled(false);  // as "&Clear" leaves it
    return;
  }
  // The row after the last one removed takes the selection, so Delete can
  // go on down the list.
  const int next = std::min(rows.back(), shredListView->topLevelItemCount() - 1);
  shredListView->setCurrentItem(shredListView->topLevelItem(next));
}

// ---- The shred run and its report ----------------------------------------

void FrmMain::ShredNow() {
  // The worker gets its own copy of all it reads, the report's date and
  // time included (read here, in the report's order).
  std::string date = platform_.clock.ShortDateNow();
  std::string time = platform_.clock.ShortTimeNow();
  ShredOrder order{options_, list_, &report_, date, time};
  if (!job_->Start(std::move(order))) return;  // one run at a time, however the click came
  if (report_window_) report_window_->close();  // its report is shredded by this run
  input_guard_->Engage();
  progress_->Begin(options_.FolderMode, list_.empty() ? std::string() : list_.front().path);
}

bool FrmMain::Running() const { return job_->Running(); }

void FrmMain::ShredRunFinished() {
  if (free_space_) {
    FreeSpaceFinished();
    return;
  }
  progress_->End();
  input_guard_->Release();
  const ShredRunResult& result = job_->Result();
  // No report, no report button: the viewer would get a path with nothing there.
  reportButton->setEnabled(result.report_written);
  reportButton->setToolTip(result.report_written
                               ? QString()
                               : tr("No report was written for this run: Velmora found no folder it may write it "
                                    "to, or could not record it so as to destroy it later."));
  const ShredList shredded = list_;
  ShowResult(result);
  // The report's lines for what was left, for whoever started the program
  // from a terminal or a script.
  const std::string left = WhatWasLeftText(shredded, result);
  std::fwrite(left.data(), 1, left.size(), stderr);
  std::fflush(stderr);
  ClearShredList();
  BringToFront(Page::Final);
  QTimer::singleShot(0, this, &FrmMain::TakeWaitingPaths);
  // A close asked for during the run follows now; a message box would hold
  // up a logout or a kill.
  if (close_after_run_) {
    CloseStep();
  } else {
    // The result page says what was meant; this says what was left, and
    // where the disk may keep old copies of what was shredded.
    ShowRunOutcome(platform_.dialogs, platform_.settings, shredded, result);
  }
  emit shredRunEnded();
}

void FrmMain::ShowResult(const ShredRunResult& result) {
  const auto n = static_cast<qulonglong>(result.outcomes.size());
  const int k = static_cast<int>(ItemsLeft(result));
  // A run that shreds everything (or an empty list) says only what it always
  // said; "Nothing was shredded" only where nothing went.
  const bool none = NothingShredded(result);
  QString note;
  if (none)
    resultCaption->setText(result.report_written ? tr("Nothing was shredded; the report names every item and says why.")
                                                 : tr("Nothing was shredded."));
  else
    // The run's own caption, in the user's language.
    resultCaption->setText(QString::fromStdString(options_.FolderMode ? FolderModeCaption(options_, UiWords)
                                                                      : FileModeCaption(options_, UiWords)));
  if (k != 0 && !none)
    note = (result.report_written
                ? tr("%n of %1 items could not be shredded; the report names them and says why.", nullptr, k)
                : tr("%n of %1 items could not be shredded.", nullptr, k))
               .arg(n);
  resultNote->setText(note);
  resultNote->setVisible(!note.isEmpty());
  FitResultTexts();
}

void FrmMain::OpenReport() {
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

bool FrmMain::StartUp(const std::vector<std::string>& hand_over) {
  if (!platform_.instance.TryAcquire()) {
    // The other copy's report and the farewell page are not ours to touch:
    // the refusal ends without the close step. Paths go to the other copy;
    // only when it cannot take them is the user told.
    unloaded_ = true;
    if (!hand_over.empty() && platform_.hand_over.Send(hand_over)) return false;
    // Paths it could not hand over are named, never dropped unsaid.
    QString refusal = tr("%1 Is Already Running").arg(QString::fromStdString(BoxTitle()));
    if (!hand_over.empty()) refusal += "\n";
    for (const std::string& path : hand_over)
      refusal += "\n" + QString::fromStdString(path) + " " + tr("(could not be handed to the running Velmora)");
    platform_.dialogs.ShowMessage(Utf8(refusal), BoxTitle(), MessageIcon::Critical, MessageButtons::Ok);
    return false;
  }
  // Only the holder of the lock may take over a socket a dead copy left.
  if (platform_.instance.Holds())
    platform_.hand_over.Listen([this](std::vector<std::string> paths) { ReceiveHandOver(std::move(paths)); });
  report_.Delete();  // the report of a session that was killed
  fill_keeper_.RemoveLeftovers();  // and a free-space fill it left, holding a disk full
  RunUpdateReminder(platform_.settings, platform_.clock, platform_.dialogs, links_);
  BringToFront(Page::Selection);
  nextButton->setEnabled(false);
  passCountBox->setCurrentIndex(kDefaultPassPosition);
  techniqueBox->setCurrentIndex(0);
  shredNowButton->setEnabled(false);
  // A signal may have closed the program while the reminder asked.
  return !unloaded_;
}

void FrmMain::CloseStep() {
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
  CloseStep();
  event->accept();
}

void FrmMain::CloseRequested() {
  if (!Running()) {
    CloseStep();
    return;
  }
  close_after_run_ = true;
  progress_->RequestStop();
}

void FrmMain::SessionCommitting() { report_.Delete(); }

void FrmMain::AboutToQuit() {
  if (Running()) {
    // No event loop will deliver the run's end: wait for it here.
    close_after_run_ = true;
    progress_->RequestStop();
    job_->Wait();
  }
  CloseStep();
}

void FrmMain::Finish() {
  report_.Delete();
  CloseAllWindows();
}

void FrmMain::ExitFromMenu() {
  report_.Delete();  // a missing report is no failure
  close();
}

void FrmMain::CloseEveryWindow() { CloseAllWindows(); }

// ---- Paths from a second copy --------------------------------------------

void FrmMain::ReceiveHandOver(std::vector<std::string> paths) {
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
