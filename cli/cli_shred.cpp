// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cli_shred.h"

#include <set>

#include "cli/progress_line.h"
#include "fs/path_text.h"
#include "platform/mount_points.h"
#include "run/shred_run.h"
#include "shredlist/add_rules.h"
#include "shredlist/given_paths.h"
#include "shredlist/program_paths.h"

namespace velmora {
namespace {

constexpr std::size_t kNotListed = static_cast<std::size_t>(-1);

// One path as given: absolute, and either why it is not shredded or its
// place on the run's list (a path given twice has one place).
struct Given {
  std::string path;
  std::string refusal;
  std::size_t item = kNotListed;
};

// Nothing is written: a run from a terminal leaves no report.
class NoReport : public ReportSink {
 public:
  bool Write(const std::string&) override { return false; }
};

// Why a path of this kind cannot be shredded in this mode ("" when it can).
std::string KindRefusal(PathKind kind, bool folders, const ReasonTexts& texts) {
  switch (kind) {
    case PathKind::Missing: return texts.item(ItemOutcome::NotFound, 0, 0);
    case PathKind::Link: return texts.item(ItemOutcome::Link, 0, 0);
    case PathKind::Special: return texts.item(ItemOutcome::NotRegularFile, 0, 0);
    case PathKind::Folder: return folders ? "" : kFolderWithoutFolders;
    case PathKind::File: return folders ? kFileWithFolders : "";
  }
  return texts.item(ItemOutcome::NotFound, 0, 0);
}

// The protection rules, as one path chosen alone in the window meets them;
// their message, in brackets, is the reason.
std::string RuleRefusal(const std::string& path, bool folders, const AddContext& context) {
  ShredList scratch;
  std::string folder_to_shred;
  const AddOutcome outcome =
      folders ? AddFolder(path, context, scratch, folder_to_shred) : AddFiles(path, context, scratch);
  return outcome.message == AddMessage::None ? "" : "(" + MessageText(outcome.message) + ")";
}

std::vector<Given> ListGiven(const CliCommand& command, const ReasonTexts& texts, ShredList& list) {
  const AddContext context = RulesContextFor(ReadProgramPaths(), ReadMountPoints());
  std::vector<Given> given;
  for (const GivenPath& path : LookAtPaths(command.paths, CurrentFolder())) {
    Given g{path.path, KindRefusal(path.kind, command.folders, texts)};
    if (g.refusal.empty()) g.refusal = RuleRefusal(g.path, command.folders, context);
    if (g.refusal.empty()) {
      std::size_t i = 0;
      while (i < list.size() && list[i].path != g.path) ++i;
      if (i == list.size()) {
        std::string folder, name;
        SplitPath(g.path, folder, name);
        list.push_back({g.path, name});
      }
      g.item = i;
    }
    given.push_back(std::move(g));
  }
  return given;
}

void Line(std::FILE* stream, const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stream);
  std::fputc('\n', stream);
}

// The lines of one listed item, the first time it is met.
void ItemLines(const Given& g, const ShredList& list, const ShredRunResult& result, bool verbose,
               const CliStreams& streams) {
  const ItemOutcome outcome = result.outcomes[g.item];
  if (outcome == ItemOutcome::Shredded) {
    if (verbose) Line(streams.out, "shredded: " + g.path);
    return;
  }
  // The report's lines for it, the system's error included.
  for (const NotShredded& left : WhatWasLeft(list, result))
    if (left.item == g.item) Line(streams.err, NotShreddedLine(left, /*with_error=*/true));
}

void StorageLines(const ShredList& list, const ShredRunResult& result, const ReasonTexts& texts,
                  const CliStreams& streams) {
  bool heading = false;
  for (std::size_t i = 0; i < list.size() && i < result.storage.size(); ++i) {
    if (result.outcomes[i] != ItemOutcome::Shredded || result.storage[i].risk == StorageRisk::None) continue;
    if (!heading) Line(streams.err, texts.storage_heading);
    heading = true;
    Line(streams.err, list[i].path + " " + texts.storage(result.storage[i].risk));
  }
}

ShredRunResult Run(const CliCommand& command, const ShredList& list, const CliStreams& streams) {
  if (list.empty()) return {};
  ShredOptions options;
  options.FolderMode = command.folders;
  ChoosePasses(options, command.position, command.technique == kTechniques[1].name ? 1 : 0);
  CliRunHost host(streams.stop);
  NoReport report;
  ProgressLine line(host, streams.err, "Shredding");
  return RunShred(options, list, report, host);
}

}  // namespace

int RunCliShred(const CliCommand& command, const ReasonTexts& texts, const CliStreams& streams) {
  ShredList list;
  const std::vector<Given> given = ListGiven(command, texts, list);
  const ShredRunResult result = Run(command, list, streams);
  bool all = true;
  std::set<std::size_t> told;
  for (const Given& g : given) {
    if (!g.refusal.empty()) {
      Line(streams.err, g.path + " " + g.refusal);
      all = false;
    } else if (told.insert(g.item).second) {
      ItemLines(g, list, result, command.verbose, streams);
      all = all && result.outcomes[g.item] == ItemOutcome::Shredded;
    }
  }
  StorageLines(list, result, texts, streams);
  std::fflush(streams.out);
  std::fflush(streams.err);
  return all ? 0 : 1;
}

}  // namespace velmora
