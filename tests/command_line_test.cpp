// SPDX-License-Identifier: GPL-3.0-or-later
// `velmora [OPTION]... [PATH]...`, read before any window or display exists.
#include "shell/command_line.h"

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

}  // namespace
}  // namespace velmora
