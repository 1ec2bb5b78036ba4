// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/shred_progress.h"

#include <QProgressBar>
#include <QPushButton>

#include "platform/qt_platform.h"
#include "shell/shred_job.h"
#include "shred/wipe_file.h"

namespace velmora {
namespace {
// Often enough for the bar to look smooth; the run's own reports are
// already bounded, this only samples the latest.
constexpr int kRefreshMs = 50;
}  // namespace

QString ProgressLabel(const std::string& item_path) {
  std::string folder, name;
  SplitPath(item_path, folder, name);
  return "Shredding " + FromLocalPath(name);
}

int ProgressValue(std::uint64_t done, std::uint64_t planned) {
  if (planned == 0) return 0;
  if (done >= planned) return 1000;
  return static_cast<int>(static_cast<double>(done) * 1000 / static_cast<double>(planned));
}

ShredProgressDialog::ShredProgressDialog(QWidget* parent) : QProgressDialog(parent) {
  setWindowTitle("Velmora");
  setWindowModality(Qt::ApplicationModal);
  setAutoClose(false);
  setAutoReset(false);
  // The bar is set directly: QProgressDialog::setValue() runs the event
  // loop when the dialog is modal, which would let the run's end arrive in
  // the middle of an update.
  bar_ = new QProgressBar(this);
  setBar(bar_);
  stop_ = new QPushButton("&Stop", this);
  setCancelButton(stop_);
  // Stop asks the run to end; the dialog stays until it has.
  disconnect(this, SIGNAL(canceled()), this, SLOT(cancel()));
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
  delay_.start();
}

void RunProgress::ShowDialog() {
  if (!job_.Running() || dialog_) return;
  dialog_ = new ShredProgressDialog(&window_);
  // Folder mode does not walk the tree twice to count it: a busy bar.
  dialog_->setRange(0, folder_mode_ ? 0 : 1000);
  connect(dialog_, &QProgressDialog::canceled, this, &RunProgress::RequestStop);
  if (job_.StopRequested()) dialog_->stopButton()->setEnabled(false);
  Refresh();
  dialog_->show();
  refresh_.start();
}

void RunProgress::Refresh() {
  if (!dialog_) return;
  RunSnapshot now = job_.Snapshot();
  const QString label = ProgressLabel(now.item.empty() ? first_item_ : now.item);
  if (dialog_->labelText() != label) dialog_->setLabelText(label);
  if (!folder_mode_) dialog_->bar()->setValue(ProgressValue(now.done, now.planned));
}

void RunProgress::RequestStop() {
  job_.RequestStop();
  if (dialog_) dialog_->stopButton()->setEnabled(false);
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
