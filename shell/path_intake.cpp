#include "shell/path_intake.h"

#include "platform/platform.h"
#include "shell/frm_main.h"
#include "shredlist/given_paths.h"

namespace velmora {
namespace {

void AddInOrder(FrmMain& window, Dialogs& dialogs, const IntakePlan& plan) {
  // One path is one single choice: its refusal, if any, comes before the next.
  for (const std::string& path : plan.add) window.AddChosen(path);
  if (!plan.unlisted.empty())
    dialogs.ShowMessage(UnlistedMessage(plan.unlisted), "Velmora", MessageIcon::Exclamation, MessageButtons::Ok);
}

}  // namespace

void OpenListWithPaths(FrmMain& window, Dialogs& dialogs, const std::vector<std::string>& given,
                       const std::string& cwd) {
  if (given.empty()) return;
  const std::vector<GivenPath> paths = LookAtPaths(given, cwd);
  const bool folders = AllFolders(paths);
  (folders ? window.OptFolder : window.OptFile)->click();
  window.cmdNext->click();
  AddInOrder(window, dialogs, PlanIntake(paths, folders));
}

void AddDroppedPaths(FrmMain& window, Dialogs& dialogs, const std::vector<std::string>& paths) {
  if (paths.empty()) return;
  // The mode is read as "&Add File / Folder To Shred" reads it.
  const bool folders = !window.OptFile->isChecked();
  AddInOrder(window, dialogs, PlanIntake(LookAtPaths(paths, CurrentFolder()), folders));
}

}  // namespace velmora
