// SPDX-License-Identifier: GPL-3.0-or-later
// `velmora [OPTION]... [PATH]...`, read before any window or display exists.
#include "shell/command_line.h"

#include "cli/cli_command.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

using Action = CommandLine::Action;

CommandLine Parse(std::vector<const char*> args) {
  args.insert(args.begin(), "velmora");
  return ParseCommandLine(static_cast<int>(args.size()), args.data());
}

TEST(CommandLine, PathsComeBackByteForByteInOrder) {
  const CommandLine c = Parse({"b.txt", "/x/a b", "caf\xc3\xa9", "bad\xff\xfe", "-", "dir/"});
  EXPECT_EQ(c.action, Action::Run);
  EXPECT_EQ(c.paths, (std::vector<std::string>{"b.txt", "/x/a b", "caf\xc3\xa9", "bad\xff\xfe", "-", "dir/"}));
  EXPECT_TRUE(Parse({}).paths.empty());
}

TEST(CommandLine, QtsOwnOptionsAreLetThroughAndAreNotPaths) {
  const CommandLine c = Parse({"-platform", "offscreen", "-reverse", "a", "--style=fusion", "b"});
  EXPECT_EQ(c.action, Action::Run);
  EXPECT_EQ(c.paths, (std::vector<std::string>{"a", "b"}));
}

TEST(CommandLine, AfterADoubleDashEverythingIsAPath) {
  const CommandLine c = Parse({"a", "--", "--help", "-style", "-v"});
  EXPECT_EQ(c.action, Action::Run);
  EXPECT_EQ(c.paths, (std::vector<std::string>{"a", "--help", "-style", "-v"}));

  std::vector<const char*> argv = {"velmora", "-style", "fusion", "--", "-reverse"};
  EXPECT_EQ(QtArgumentCount(5, const_cast<char**>(argv.data())), 3);
  EXPECT_EQ(QtArgumentCount(3, const_cast<char**>(argv.data())), 3);
}

TEST(CommandLine, HelpAndVersionWinOverPaths) {
  for (const char* help : {"--help", "-h"}) {
    const CommandLine c = Parse({"a.txt", help});
    EXPECT_EQ(c.action, Action::Help);
    EXPECT_EQ(c.output.rfind("Usage: velmora [options] [PATH...]\n", 0), 0u) << c.output;
    EXPECT_NE(c.output.find("--version"), std::string::npos);
    EXPECT_EQ(c.output.find("platform"), std::string::npos) << "Qt's options stay out of the help";
  }
  for (const char* version : {"--version", "-v"}) {
    const CommandLine c = Parse({version});
    EXPECT_EQ(c.action, Action::Version);
    EXPECT_EQ(c.output, "velmora 1.0\n");
  }
}

TEST(CommandLine, UnknownOptionIsAnErrorThatNamesIt) {
  const CommandLine c = Parse({"a", "--shred-everything"});
  EXPECT_EQ(c.action, Action::Error);
  EXPECT_EQ(c.output, "velmora: Unknown option 'shred-everything'.\nTry 'velmora --help' for more information.\n");
  EXPECT_TRUE(c.paths.empty());
  EXPECT_EQ(Parse({"-platform"}).action, Action::Error);  // its value is missing
}

// A run without a window: what each command line asks, or its one-line error.
TEST(CommandLine, RunsWithoutAWindowAreReadWithoutQt) {
  using A = CliCommand::Action;
  struct Row {
    std::vector<const char*> args;
    A action;
    std::string error_or_technique;  // the error, or (no error) the technique label
    int position = kDefaultPassPosition;
    std::vector<std::string> paths = {};
  };
  const std::vector<Row> rows = {
      {{"a", "--", "--shred"}, A::None, "Ones and Zeros", 2, {}},  // the window's paths
      {{"--shred", "a", "-", "--", "--verbose"}, A::Shred, "Ones and Zeros", 2, {"a", "-", "--verbose"}},
      {{"--shred", "--passes", "10", "--technique=random-chars", "a"}, A::Shred, "Random Chars", 5, {"a"}},
      {{"--shred", "--passes=1", "--folders", "--verbose", "d"}, A::Shred, "Ones and Zeros", 0, {"d"}},
      {{"--wipe-free-space", "/home"}, A::WipeFreeSpace, "Ones and Zeros", 2, {"/home"}},
      {{"--shred", "--help", "--passes", "4"}, A::Help, "Ones and Zeros", -1, {}},
      {{"--shred"}, A::UsageError, "no path given"},
      {{"--shred", "--passes", "4", "a"}, A::UsageError, "--passes takes 1, 2, 3, 5, 7 or 10, not '4'"},
      {{"--shred", "a", "--passes"}, A::UsageError, "--passes needs a value"},
      {{"--shred", "--technique", "zeros", "a"}, A::UsageError,
       "--technique takes ones-and-zeros or random-chars, not 'zeros'"},
      {{"--shred", "-x", "a"}, A::UsageError, "unknown option '-x'"},
      {{"--folders", "a"}, A::UsageError, "--folders is used with --shred only"},
      {{"--shred", "--wipe-free-space", "a"}, A::UsageError, "--shred and --wipe-free-space cannot be used together"},
      {{"--wipe-free-space", "--verbose", "a"}, A::UsageError, "--verbose is used with --shred only"},
      {{"--wipe-free-space", "a", "b"}, A::UsageError, "--wipe-free-space takes one folder"},
  };
  for (const Row& row : rows) {
    std::vector<const char*> argv = row.args;
    argv.insert(argv.begin(), "velmora");
    const CliCommand c = ParseCliCommand(static_cast<int>(argv.size()), argv.data());
    const std::string what = row.args.empty() ? "" : row.args.front() + std::string(" ...");
    EXPECT_EQ(c.action, row.action) << what;
    if (row.action == A::UsageError) {
      EXPECT_EQ(c.error, row.error_or_technique) << what;
    } else if (row.action != A::Help) {
      EXPECT_EQ(c.technique, row.error_or_technique) << what;
      EXPECT_EQ(c.position, row.position) << what;
      EXPECT_EQ(c.paths, row.paths) << what;
    }
  }
  EXPECT_TRUE(ParseCliCommand(5, std::vector<const char*>{"velmora", "--shred", "--folders", "--verbose", "d"}.data())
                  .folders);
  // The window's help ends with these runs, and their usage.
  const std::string help = Parse({"--help"}).output;
  EXPECT_NE(help.find(CliUsage() + "\n  --shred"), std::string::npos) << help;
}

}  // namespace
}  // namespace velmora
