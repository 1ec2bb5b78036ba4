// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cli_command.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace velmora {
namespace {

using Action = CliCommand::Action;

// The options that only a run without a window has; any of them makes the
// command line one of these runs (and an error without --shred).
constexpr std::array<std::string_view, 6> kCliOptions = {"--shred",   "--wipe-free-space", "--folders",
                                                          "--passes",  "--technique",       "--verbose"};

struct Technique {
  std::string_view option;
  const char* label;
};
constexpr std::array<Technique, 2> kTechniques = {{{"ones-and-zeros", "Ones and Zeros"},
                                                   {"random-chars", "Random Chars"}}};

// "--passes=3" is "--passes" with the value "3".
std::string_view OptionName(std::string_view arg) { return arg.substr(0, arg.find('=')); }

bool IsCliOption(std::string_view arg) {
  return std::find(kCliOptions.begin(), kCliOptions.end(), OptionName(arg)) != kCliOptions.end();
}

// The position of the pass count `text` in the list, or -1.
int PositionOfCount(std::string_view text) {
  for (int i = 0; i < kPassPositions; ++i)
    if (text == std::to_string(kPassCounts[static_cast<std::size_t>(i)])) return i;
  return -1;
}

class Reader {
 public:
  Reader(int argc, const char* const* argv) : argc_(argc), argv_(argv) {}
  CliCommand Read();

 private:
  void Option(std::string_view arg);
  // The value of `name`: after "=" or the next argument.
  bool Value(std::string_view arg, std::string_view name, std::string& value);
  void SetMode(Action mode, std::string_view name);
  void Fail(std::string message) {
    if (command_.error.empty()) command_.error = std::move(message);
  }
  void Check();

  int argc_;
  const char* const* argv_;
  int next_ = 1;
  bool help_ = false;
  std::vector<std::string> shred_only_;  // options given that only --shred takes
  CliCommand command_;
};

CliCommand Reader::Read() {
  bool options_done = false;
  std::string_view first_option;
  while (next_ < argc_) {
    const std::string_view arg = argv_[next_++];
    if (!options_done && arg == "--") {
      options_done = true;
    } else if (!options_done && arg.size() > 1 && arg[0] == '-') {
      if (first_option.empty() && IsCliOption(arg)) first_option = OptionName(arg);
      Option(arg);
    } else {
      command_.paths.emplace_back(arg);
    }
  }
  if (first_option.empty()) return CliCommand{};
  if (command_.action == Action::None) Fail(std::string(first_option) + " is used with --shred only");
  if (help_) command_.action = Action::Help;
  else Check();
  if (!command_.error.empty() && !help_) command_.action = Action::UsageError;
  return command_;
}

void Reader::Option(std::string_view arg) {
  const std::string_view name = OptionName(arg);
  std::string value;
  if (arg == "--shred") {
    SetMode(Action::Shred, arg);
  } else if (arg == "--wipe-free-space") {
    SetMode(Action::WipeFreeSpace, arg);
  } else if (arg == "--folders" || arg == "--verbose") {
    (arg == "--folders" ? command_.folders : command_.verbose) = true;
    shred_only_.emplace_back(arg);
  } else if (name == "--passes" && Value(arg, name, value)) {
    command_.position = PositionOfCount(value);
    if (command_.position < 0) Fail("--passes takes 1, 2, 3, 5, 7 or 10, not '" + value + "'");
    shred_only_.emplace_back(name);
  } else if (name == "--technique" && Value(arg, name, value)) {
    const auto known = std::find_if(kTechniques.begin(), kTechniques.end(),
                                    [&](const Technique& t) { return t.option == value; });
    if (known == kTechniques.end()) Fail("--technique takes ones-and-zeros or random-chars, not '" + value + "'");
    else command_.technique = known->label;
    shred_only_.emplace_back(name);
  } else if (arg == "--help" || arg == "-h") {
    help_ = true;
  } else if (name != "--passes" && name != "--technique") {
    Fail("unknown option '" + std::string(arg) + "'");
  }
}

bool Reader::Value(std::string_view arg, std::string_view name, std::string& value) {
  if (arg.size() > name.size()) {
    value = arg.substr(name.size() + 1);
    return true;
  }
  if (next_ < argc_) {
    value = argv_[next_++];
    return true;
  }
  Fail(std::string(name) + " needs a value");
  return false;
}

void Reader::SetMode(Action mode, std::string_view name) {
  if (command_.action != Action::None && command_.action != mode)
    Fail("--shred and --wipe-free-space cannot be used together");
  else if (command_.action == mode)
    Fail(std::string(name) + " is given twice");
  command_.action = mode;
}

void Reader::Check() {
  if (command_.action == Action::Shred && command_.paths.empty()) Fail("no path given");
  if (command_.action != Action::WipeFreeSpace) return;
  if (!shred_only_.empty()) Fail(shred_only_.front() + " is used with --shred only");
  if (command_.paths.size() != 1) Fail("--wipe-free-space takes one folder");
}

}  // namespace

CliCommand ParseCliCommand(int argc, const char* const* argv) { return Reader(argc, argv).Read(); }

std::string CliUsage() {
  return "Usage: velmora --shred [--folders] [--passes N] [--technique ones-and-zeros|random-chars] [--verbose] "
         "PATH...\n"
         "       velmora --wipe-free-space FOLDER\n";
}

std::string CliHelp() {
  return "From a terminal or a script, without a window or a display:\n" + CliUsage() +
         "\n"
         "  --shred              Shred each PATH now: overwrite it, force it to the disk, delete it.\n"
         "  --folders            The PATHs are folders, each shredded whole; without it they are files.\n"
         "  --passes N           The pass count of the options page: 1, 2, 3, 5, 7 or 10 (default 3).\n"
         "  --technique T        The technique of the options page: ones-and-zeros (default) or\n"
         "                       random-chars.\n"
         "  --verbose            Print \"shredded: PATH\" on standard output for each item shredded.\n"
         "  --wipe-free-space FOLDER\n"
         "                       Overwrite the free space of the disk that holds FOLDER.\n"
         "\n"
         "The window's protection rules apply. Each item not shredded is named on standard error,\n"
         "\"PATH (reason)\"; on a terminal a progress line shows how far the run is. Exit status: 0 when\n"
         "every path was shredded, 1 when anything was left, 2 for a wrong command line. Ctrl+C, SIGTERM\n"
         "and SIGHUP stop the run as Stop does in the window, then end the program by that signal.\n"
         "\n"
         "Examples:\n"
         "  velmora --shred old-passport.pdf taxes-2019.ods\n"
         "  velmora --shred --folders --passes 1 ~/Documents/old-project\n"
         "  find ~/exports -name '*.csv' -print0 | xargs -0r velmora --shred --verbose\n"
         "  velmora --wipe-free-space ~\n";
}

}  // namespace velmora
