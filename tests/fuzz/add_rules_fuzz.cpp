// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target for the add rules: random chooser strings (NUL splits,
// separators, long texts), several adds on one list, in either mode.
// Input: segments separated by 0xFF; a segment's first byte picks the mode.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "shredlist/add_rules.h"

namespace {

// The path with empty and "." steps taken out: two paths that differ only
// by those are the same file; letter case makes two files.
std::string Cleaned(const std::string& path) {
  std::string out;
  std::size_t i = 0;
  while (i <= path.size()) {
    std::size_t next = path.find('/', i);
    if (next == std::string::npos) next = path.size();
    std::string step = path.substr(i, next - i);
    if (!step.empty() && step != ".") out += (out.empty() && path[0] != '/' ? "" : "/") + step;
    i = next + 1;
  }
  return out.empty() && !path.empty() && path[0] == '/' ? "/" : out;
}

// A chooser string as the chooser's structure: the folder, then the names,
// separated by NUL characters; no NUL: one path alone.
velmora::ChosenFiles Chosen(const std::string& text) {
  std::size_t nul = text.find('\0');
  if (nul == std::string::npos) return velmora::ChosenFiles(text);
  velmora::ChosenFiles out(text.substr(0, nul), {});
  while (nul != std::string::npos) {
    const std::size_t next = text.find('\0', nul + 1);
    out.names.push_back(text.substr(nul + 1, next == std::string::npos ? std::string::npos : next - nul - 1));
    nul = next;
  }
  return out;
}

void Check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  velmora::AddContext context;
  context.program_folder = "/opt/velmora";
  context.executable_name = "velmora";
  context.system_folder = "/usr/bin";
  context.windows_folder = "/usr";
  context.mount_points = {"/", "/boot", "/media/x y"};

  velmora::ShredList list;
  std::string folder_to_shred;
  std::size_t file_items = 0;  // items added in file mode, for the duplicate rule
  std::string input(reinterpret_cast<const char*>(data), size);
  std::size_t start = 0;
  while (start <= input.size()) {
    std::size_t end = input.find('\xff', start);
    if (end == std::string::npos) end = input.size();
    std::string segment = input.substr(start, end - start);
    start = end + 1;
    if (segment.empty()) continue;
    const bool folder_mode = segment[0] & 1;
    const std::string chosen = segment.substr(1);
    const std::size_t before = list.size();

    if (folder_mode) {
      velmora::AddOutcome out = velmora::AddFolder(chosen, context, list, folder_to_shred);
      Check(list.size() == before + (out.remove_enabled == true ? 1 : 0));
      if (out.message != velmora::AddMessage::None) Check(!out.remove_enabled.has_value());
      if (list.size() > before) {
        Check(list.back().path == chosen && list.back().name == chosen && folder_to_shred == chosen);
        Check(chosen != "/" && chosen != "/usr" && chosen != "/usr/bin" && chosen != "/opt/velmora");
      }
    } else {
      velmora::AddOutcome out = velmora::AddFiles(Chosen(chosen), context, list);
      Check(out.remove_enabled.has_value());
      if (out.message == velmora::AddMessage::OwnExecutable) {
        Check(list.empty() && *out.remove_enabled == false);
        file_items = 0;
        continue;
      }
      Check(out.message == velmora::AddMessage::None);
      Check(list.size() >= before);
      Check(*out.remove_enabled == (!chosen.empty() || !list.empty()));
      for (std::size_t i = before; i < list.size(); ++i) {
        // The name is the tail of the path, or the whole path.
        const auto& item = list[i];
        Check(item.path.size() >= item.name.size());
        Check(item.path.compare(item.path.size() - item.name.size(), item.name.size(), item.name) == 0);
        Check(item.path != "/opt/velmora/velmora");
        for (std::size_t j = 0; j < i; ++j) Check(Cleaned(list[j].path) != Cleaned(item.path));
      }
      file_items += list.size() - before;
    }
  }
  return 0;
}
