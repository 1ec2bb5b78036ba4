// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/path_intake.h"

#include <cstdio>

#include "platform/platform.h"
#include "shell/frm_main.h"
#include "shell/outcome_box.h"

namespace velmora {
namespace {

void AddInOrder(FrmMain& window, Dialogs& dialogs, const IntakePlan& plan) {
  // One path is one single choice: its refusal, if any, comes before the next.
  for (const std::string& path : plan.add) window.AddChosen(path);
  if (plan.unlisted.empty()) return;
  const std::string text = UnlistedMessage(plan.unlisted);
  // Also for whoever started the program from a terminal or a script.
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fputc('\n', stderr);
  std::fflush(stderr);
  dialogs.ShowMessage(text, "Velmora", MessageIcon::Exclamation, MessageButtons::Ok);
}

}  // namespace

std::string IntakeReason(IntakeRefusal refusal) {
  // The words of the warning box after a run, where a run would say the same.
  switch (refusal) {
    case IntakeRefusal::Missing: return OutcomeReason(ItemOutcome::NotFound);
    case IntakeRefusal::Link: return OutcomeReason(ItemOutcome::Link);
    case IntakeRefusal::NotRegularFile: return OutcomeReason(ItemOutcome::NotRegularFile);
    case IntakeRefusal::Folder: return "(a folder: choose Shred Folder(s))";
    case IntakeRefusal::File: return "(a file: choose Shred File(s))";
  }
  return OutcomeReason(ItemOutcome::NotFound);
}

std::string UnlistedMessage(const std::vector<UnlistedPath>& unlisted) {
  std::string text = kUnlistedHeading;
  for (const UnlistedPath& item : unlisted) text += "\n" + item.path + " " + IntakeReason(item.reason);
  return text;
}

void OpenListWithPaths(FrmMain& window, Dialogs& dialogs, const std::vector<std::string>& given,
                       const std::string& cwd) {
  if (given.empty()) return;
  const std::vector<GivenPath> paths = LookAtPaths(given, cwd);
  const bool folders = AllFolders(paths);
  window.OpenListPage(folders);
  AddInOrder(window, dialogs, PlanIntake(paths, folders));
}

void AddDroppedPaths(FrmMain& window, Dialogs& dialogs, const std::vector<std::string>& paths) {
  if (paths.empty()) return;
  // The mode is read as "&Add File / Folder To Shred" reads it.
  const bool folders = !window.FileModeSelected();
  AddInOrder(window, dialogs, PlanIntake(LookAtPaths(paths, CurrentFolder()), folders));
}

void TakeHandedOverPaths(FrmMain& window, Dialogs& dialogs, const std::vector<std::string>& paths) {
  // The sender made them absolute against its own working folder. The about
  // page opened over the list page gives way to it, as its OK would.
  if (window.FrontPage() == Page::About && window.pageOrder().FrontToBack()[1] == Page::Result)
    window.SendToBack(Page::About);
  if (window.FrontPage() == Page::Result)
    AddDroppedPaths(window, dialogs, paths);
  else
    OpenListWithPaths(window, dialogs, paths, "");
}

}  // namespace velmora
