// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the user sees of a run that takes a while: nothing for its first
// 500 ms, then a modal progress dialog with "&Stop", kept up to date from
// what the run reports.
#include <QObject>
#include <QProgressDialog>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <string>

#include "engine/run_control.h"

class QProgressBar;
class QPushButton;

namespace velmora {

class ShredJob;

// "Shredding <the item's file or folder name>", and ": pass <k> of <P>"
// when there is more than one pass.
QString ProgressLabel(const std::string& item_path, int pass = 1, int passes = 1);

// Folder mode: "Shredding <folder name>: <n> files overwritten" (or "<n> of
// <total>" once the total is known), "Forcing to the disk", then "Every file
// is overwritten: removing <n> of <total> entries".
QString FolderProgressLabel(const std::string& item_path, const FolderStatus& status);

// What the label says from a press of Stop until the run has ended.
inline constexpr const char* kStoppingLabel = QT_TRANSLATE_NOOP("Velmora", "Stopping...");

// The bar's value: thousandths of the planned bytes (0 when none planned).
int ProgressValue(std::uint64_t done, std::uint64_t planned);

// The dialog itself. Stop, Escape and its close box all ask the run to stop
// (canceled()); none of them hides or resets it: it stays until the run has
// ended and Finish() is called. It is not modal: the input guard keeps every
// other input away, and a modal dialog would have Qt drop the window
// manager's close of the main window (and keys sent there), which is Stop.
class ShredProgressDialog : public QProgressDialog {
  Q_OBJECT
 public:
  explicit ShredProgressDialog(QWidget* parent);
  QPushButton* stopButton() const { return stop_; }
  QProgressBar* bar() const { return bar_; }
  // The run has ended: the dialog closes for good.
  void Finish();

 protected:
  void reject() override;

 private:
  QPushButton* stop_;
  QProgressBar* bar_;
  bool finished_ = false;
};

class RunProgress : public QObject {
  Q_OBJECT
 public:
  // The dialog delay; a run that ends sooner shows nothing.
  static constexpr int kDelayMs = 500;

  RunProgress(ShredJob& job, QWidget& window);

  // A run has started: arm the delay.
  void Begin(bool folder_mode, const std::string& first_item);
  // Work with a label of its own and a bar in thousandths (a free-space
  // wipe) has started.
  void Begin(const QString& label);
  // The run has ended: no dialog from now on, and a shown one goes.
  void End();
  // Stop from outside the dialog (a signal): the same as pressing "&Stop".
  void RequestStop();

  // Single shot, kDelayMs after Begin; tests fire it by hand.
  QTimer& delay() { return delay_; }
  // The dialog while it is shown, else null.
  ShredProgressDialog* dialog() const { return dialog_; }
  // Label, bar and Stop from what the run last reported.
  void Refresh();

 signals:
  // The dialog is about to be shown: the input guard lets it take input.
  void dialogShown(QWidget* dialog);

 private:
  void ShowDialog();
  void SetLabel(const QString& text);
  void SetBar(int maximum, int value);

  ShredJob& job_;
  QWidget& window_;
  QTimer delay_;
  QTimer refresh_;  // while the dialog is shown
  ShredProgressDialog* dialog_ = nullptr;
  bool folder_mode_ = false;
  std::string first_item_;
  QString fixed_label_;  // instead of the item's name, when set
  // What the dialog shows now: a refresh that changes none of it formats
  // nothing and paints nothing.
  struct Shown {
    std::string item;
    int pass = 1;
    FolderStatus folder;
    bool stopping = false;
    bool any = false;
  } shown_;
};

}  // namespace velmora
