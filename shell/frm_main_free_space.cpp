// SPDX-License-Identifier: GPL-3.0-or-later
// The window's free-space wipe: a folder from the browser, the question,
// then the engine on the shred run's worker, with the same progress dialog,
// Stop and ways out; at the end a box says what was done.
#include "freespace/free_space_wipe.h"
#include "fs/storage_class.h"
#include "freespace/free_space_texts.h"
#include "shell/frm_main.h"
#include "shell/input_guard.h"
#include "shell/shred_job.h"
#include "shell/shred_progress.h"
#include "shell/storage_notice.h"

namespace velmora {

// One wipe: made on the window's thread, filled on the worker, read back on
// the window's thread once the worker has ended.
struct FreeSpaceRun {
  FreeSpaceTarget target;
  FreeSpaceResult result;
  std::string old_copies;  // why the disk may keep old copies anyway; "" for none
};

namespace {
constexpr const char* kTitle = "Velmora";

// Why the disk beneath `fd` may keep old copies whatever its free blocks
// hold, in the words of the shred's warning box without their brackets;
// "" where the fill does reach the old blocks.
std::string OldCopiesReason(int fd) {
  const std::string reason = StorageReason(ClassifyStorage(fd).risk);
  return reason.size() > 2 ? reason.substr(1, reason.size() - 2) : std::string();
}
}  // namespace

void FrmMain::StartFreeSpaceWipe() {
  if (Running()) return;
  const std::string folder = platform_.dialogs.ChooseFolder(kFreeSpaceChooserTitle);
  if (folder.empty()) return;
  auto refuse = [&](FreeSpaceRefusal refusal, int error) {
    platform_.dialogs.ShowMessage(FreeSpaceRefusalText(refusal, folder, error), kTitle, MessageIcon::Critical,
                                  MessageButtons::Ok);
  };
  int error = 0;
  if (FreeSpaceRefusal refusal = CheckFreeSpaceFolder(folder, error); refusal != FreeSpaceRefusal::None)
    return refuse(refusal, error);
  if (platform_.dialogs.ShowMessage(FreeSpaceQuestion(folder), kTitle, MessageIcon::Exclamation,
                                    MessageButtons::YesNoDefaultNo) != MessageAnswer::Yes)
    return;
  // A signal may have closed the program while the question was up.
  if (unloaded_) return;

  auto run = std::make_shared<FreeSpaceRun>();
  run->target = PrepareFreeSpaceWipe(folder);
  if (run->target.refusal != FreeSpaceRefusal::None) return refuse(run->target.refusal, run->target.error);
  // Known before a byte is written: a session killed from here on leaves a
  // fill the next start removes.
  fill_keeper_.Remember(run->target.identity);
  run->old_copies = OldCopiesReason(run->target.parent.get());
  free_space_ = run;
  if (!job_->StartWork([run](RunControl& control) { run->result = WipeFreeSpace(run->target, control); })) {
    free_space_.reset();
    return;  // cannot happen while nothing runs; the next start removes the empty folder
  }
  input_guard_->Engage();
  progress_->Begin(QString::fromStdString(FreeSpaceProgressText(run->target.mount_point)));
}

void FrmMain::FreeSpaceFinished() {
  progress_->End();
  input_guard_->Release();
  const std::shared_ptr<FreeSpaceRun> run = std::exchange(free_space_, nullptr);
  if (run->result.fill_removed) fill_keeper_.Forget(run->target.identity);
  if (close_after_run_) {
    // A close asked for during the wipe follows now; the fill is gone.
    CloseStep();
  } else {
    const bool whole = run->result.end == FreeSpaceEnd::Wiped && run->result.fill_removed;
    platform_.dialogs.ShowMessage(FreeSpaceOutcomeText(run->target.mount_point, run->result, run->old_copies,
                                                       run->target.identity.path),
                                  kTitle, whole ? MessageIcon::Information : MessageIcon::Exclamation,
                                  MessageButtons::Ok);
  }
  emit freeSpaceWipeEnded();
}

}  // namespace velmora
