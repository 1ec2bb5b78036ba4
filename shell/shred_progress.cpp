// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/shred_progress.h"

#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>

#include "engine/wipe_file.h"
#include "fs/path_text.h"
#include "platform/qt_platform.h"
#include "shell/shred_job.h"
#include "shell/ui_texts.h"

namespace velmora {
namespace {
// Ten times a second is as often as a person follows a bar or a count; the
// run's own reports are bounded already, this only samples the latest.
constexpr int kRefreshMs = 100;

bool SameStatus(const FolderStatus& a, const FolderStatus& b) {
  return a.phase == b.phase && a.done == b.done && a.overwritten == b.overwritten && a.total == b.total &&
         a.stoppable == b.stoppable;
}

QString ItemName(const std::string& item_path) {
  std::string folder, name;
  SplitPath(item_path, folder, name);
  return FromLocalPath(name);
}
}  // namespace

QString ProgressLabel(const std::string& item_path, int pass, int passes) {
  if (passes <= 1) return Texts::tr("Shredding %1").arg(ItemName(item_path));
  return Texts::tr("Shredding %1: pass %2 of %3")
      .arg(ItemName(item_path), QString::number(pass), QString::number(passes));
}

QString FolderProgressLabel(const std::string& item_path, const FolderStatus& status) {
  switch (status.phase) {
    case FolderPhase::Overwriting:
      // One pass over the pattern: a name holding "%2" stays as it is.
      if (status.total == 0)
        return Texts::tr("Shredding %1: %2 files overwritten")
            .arg(ItemName(item_path), QString::number(status.overwritten));
      return Texts::tr("Shredding %1: %2 of %3 files overwritten")
          .arg(ItemName(item_path), QString::number(status.overwritten), QString::number(status.total));
    case FolderPhase::Forcing: return Texts::tr("Forcing to the disk");
    case FolderPhase::Removing:
      return Texts::tr("Every file is overwritten: removing %1 of %2 entries")
          .arg(QString::number(status.done), QString::number(status.total));
  }
  return ProgressLabel(item_path);
}

int ProgressValue(std::uint64_t done, std::uint64_t planned) {
  if (planned == 0) return 0;
  if (done >= planned) return 1000;
  return static_cast<int>(static_cast<double>(done) * 1000 / static_cast<double>(planned));
}

ShredProgressDialog::ShredProgressDialog(QWidget* parent) : QProgressDialog(parent) {
  setWindowTitle(QString::fromStdString(BoxTitle()));
  setWindowModality(Qt::NonModal);
  setAutoClose(false);
  setAutoReset(false);
  // The bar is set directly: QProgressDialog::setValue() runs the event
  // loop when the dialog is modal, which would let the run's end arrive in
  // the middle of an update.
  bar_ = new QProgressBar(this);
  setBar(bar_);
  stop_ = new QPushButton(Texts::tr("&Stop"), this);
  setCancelButton(stop_);
  // Stop asks the run to end; the dialog stays until it has.
  disconnect(this, SIGNAL(canceled()), this, SLOT(cancel()));
  // Each cancel button the dialog is given (its own first, then Stop)
  // leaves a shortcut for Esc behind, and a real window system delivers Esc
  // to the shortcuts of the active window first: two for one key fire
  // neither, so Esc did nothing. They are switched off; one is Stop.
  for (QShortcut* left : findChildren<QShortcut*>(Qt::FindDirectChildrenOnly)) left->setEnabled(false);
  connect(new QShortcut(QKeySequence::Cancel, this), &QShortcut::activated, this, &QProgressDialog::canceled);
}

void ShredProgressDialog::Finish() {
  finished_ = true;
  hide();
}

// Escape and the close box come here: until the run has ended they mean
// Stop, and the dialog stays.
void ShredProgressDialog::reject() {
  if (finished_)
    QDialog::reject();
  else
    emit canceled();
}

RunProgress::RunProgress(ShredJob& job, QWidget& window) : QObject(&window), job_(job), window_(window) {
  delay_.setSingleShot(true);
  delay_.setInterval(kDelayMs);
  connect(&delay_, &QTimer::timeout, this, &RunProgress::ShowDialog);
  refresh_.setInterval(kRefreshMs);
  connect(&refresh_, &QTimer::timeout, this, &RunProgress::Refresh);
}

void RunProgress::Begin(bool folder_mode, const std::string& first_item) {
  folder_mode_ = folder_mode;
  first_item_ = first_item;
  fixed_label_.clear();
  delay_.start();
}

void RunProgress::Begin(const QString& label) {
  folder_mode_ = false;
  first_item_.clear();
  fixed_label_ = label;
  delay_.start();
}

void RunProgress::ShowDialog() {
  if (!job_.Running() || dialog_) return;
  dialog_ = new ShredProgressDialog(&window_);
  shown_ = {};
  // Folder mode starts with a busy bar: the tree is not walked twice to
  // count it, and its number of files is known once every folder is read.
  dialog_->bar()->setRange(0, folder_mode_ ? 0 : 1000);
  connect(dialog_, &QProgressDialog::canceled, this, &RunProgress::RequestStop);
  Refresh();
  emit dialogShown(dialog_);
  dialog_->show();
  dialog_->raise();
  dialog_->activateWindow();  // Esc goes where the user looks
  refresh_.start();
}

void RunProgress::SetLabel(const QString& text) {
  if (dialog_->labelText() != text) dialog_->setLabelText(text);
}

void RunProgress::SetBar(int maximum, int value) {
  QProgressBar* bar = dialog_->bar();
  if (bar->maximum() != maximum) bar->setRange(0, maximum);
  if (maximum != 0 && bar->value() != value) bar->setValue(value);
}

void RunProgress::Refresh() {
  if (!dialog_) return;
  if (job_.StopRequested()) {
    // Answered at once, and kept until the run has ended.
    if (!shown_.stopping) {
      shown_.stopping = true;
      SetLabel(UiText(kStoppingLabel));
      dialog_->stopButton()->setEnabled(false);
    }
    return;
  }
  RunSnapshot now = job_.Snapshot();
  if (now.item.empty()) now.item = first_item_;
  if (!folder_mode_) {
    if (!shown_.any || now.item != shown_.item || now.pass != shown_.pass)
      SetLabel(fixed_label_.isEmpty() ? ProgressLabel(now.item, now.pass, now.passes) : fixed_label_);
    SetBar(1000, ProgressValue(now.done, now.planned));
  } else if (!shown_.any || now.item != shown_.item || !SameStatus(now.folder, shown_.folder)) {
    const FolderStatus& status = now.folder;
    SetLabel(FolderProgressLabel(now.item, status));
    if (status.phase == FolderPhase::Overwriting && status.total == 0)
      SetBar(0, 0);
    else if (status.phase != FolderPhase::Forcing)
      SetBar(1000, ProgressValue(status.done, status.total));
    // Once every file of the folder is overwritten, Stop could save
    // nothing in it: it is off until the folder's removal has ended.
    dialog_->stopButton()->setEnabled(status.stoppable);
  }
  shown_.item = std::move(now.item);
  shown_.pass = now.pass;
  shown_.folder = now.folder;
  shown_.any = true;
}

void RunProgress::RequestStop() {
  job_.RequestStop();
  Refresh();
}

void RunProgress::End() {
  delay_.stop();
  refresh_.stop();
  if (!dialog_) return;
  dialog_->Finish();
  dialog_->deleteLater();
  dialog_ = nullptr;
}

}  // namespace velmora
