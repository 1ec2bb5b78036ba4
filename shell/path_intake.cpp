// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/path_intake.h"

#include <cstdio>

#include "platform/platform.h"
#include "shell/frm_main.h"
#include "shell/outcome_box.h"
#include "shell/ui_texts.h"

namespace velmora {
namespace {

// The box naming the paths not even looked at by the rules, if any.
void TellUnlisted(Dialogs& dialogs, const IntakePlan& plan) {
  if (plan.unlisted.empty()) return;
  // Also for whoever started the program from a terminal or a script, in
  // English there, as everything on standard error.
  const std::string english = UnlistedMessage(plan.unlisted);
  std::fwrite(english.data(), 1, english.size(), stderr);
  std::fputc('\n', stderr);
  std::fflush(stderr);
  dialogs.ShowMessage(UnlistedMessage(plan.unlisted, UiWords), BoxTitle(), MessageIcon::Exclamation,
                      MessageButtons::Ok);
}

void AddInOrder(FrmMain& window, Dialogs& dialogs, const IntakePlan& plan) {
  // One path is one single choice: its refusal, if any, comes before the next.
  for (const std::string& path : plan.add) window.AddChosen(path);
  TellUnlisted(dialogs, plan);
}

}  // namespace

std::string IntakeReason(IntakeRefusal refusal) {
  // The words of the warning box after a run, where a run would say the same.
  switch (refusal) {
    case IntakeRefusal::Missing: return OutcomeReason(ItemOutcome::NotFound);
    case IntakeRefusal::Link: return OutcomeReason(ItemOutcome::Link);
    case IntakeRefusal::NotRegularFile: return OutcomeReason(ItemOutcome::NotRegularFile);
    case IntakeRefusal::Folder: return VELMORA_UI_TEXT("Velmora", "(a folder: choose Shred Folder(s))");
    case IntakeRefusal::File: return VELMORA_UI_TEXT("Velmora", "(a file: choose Shred File(s))");
  }
  return OutcomeReason(ItemOutcome::NotFound);
}

std::string UnlistedMessage(const std::vector<UnlistedPath>& unlisted, const TextLookup& words) {
  std::string text = words(kUnlistedHeading);
  for (const UnlistedPath& item : unlisted) text += "\n" + item.path + " " + words(IntakeReason(item.reason).c_str());
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
  // The sender made them absolute against its own working folder.
  const bool about_over_list =
      window.FrontPage() == Page::About && window.pageOrder().FrontToBack()[1] == Page::Result;
  const bool on_list = window.FrontPage() == Page::Result || about_over_list;
  const std::vector<GivenPath> given = LookAtPaths(paths, "");
  const bool folders = on_list ? !window.FileModeSelected() : AllFolders(given);
  const IntakePlan plan = PlanIntake(given, folders);
  if (!window.WouldListAny(plan.add, folders, /*tell=*/false)) {
    // Refused whole: the window stays as it was (page, list, report, "&Shred
    // Now"); the boxes say why.
    window.WouldListAny(plan.add, folders, /*tell=*/true);
    TellUnlisted(dialogs, plan);
    return;
  }
  // The about page opened over the list page gives way, as its OK would; on
  // the result page its "Back" comes first (its report is shredded).
  if (about_over_list) window.SendToBack(Page::About);
  if (!on_list) window.LeaveResultForList(folders);
  AddInOrder(window, dialogs, plan);
}

}  // namespace velmora
