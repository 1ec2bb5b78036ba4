// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/command_line.h"

#include <QCommandLineParser>
#include <QRegularExpression>

#include <cstdio>
#include <cstring>

#include "cli/cli_command.h"

namespace velmora {
namespace {

constexpr const char* kProgram = "velmora";

// Qt's generic options that QApplication takes out of argv itself: known here
// only so that they are not refused, and hidden from --help.
const char* const kQtOptionsWithValue[] = {"platform", "platformpluginpath", "platformtheme", "plugin",
                                           "qwindowgeometry", "geometry", "qwindowicon", "qwindowtitle",
                                           "display", "session", "style", "stylesheet", "qmljsdebugger"};
const char* const kQtFlags[] = {"reverse", "widgetcount", "nograb", "dograb", "sync"};

// Latin-1 maps every byte to one character and back, so a path that is not
// valid in the user's encoding still reaches the add rules byte for byte.
QString FromBytes(const char* bytes) { return QString::fromLatin1(bytes); }
std::string ToBytes(const QString& text) { return text.toLatin1().toStdString(); }

void Print(std::FILE* stream, const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stream);
  std::fflush(stream);
}

void AddQtOptions(QCommandLineParser& parser) {
  for (const char* name : kQtOptionsWithValue) {
    QCommandLineOption option(name, QString(), "value");
    option.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(option);
  }
  for (const char* name : kQtFlags) {
    QCommandLineOption option(name);
    option.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(option);
  }
}

void SetUpParser(QCommandLineParser& parser, const QCommandLineOption& help, const QCommandLineOption& version) {
  // Qt's own options are spelled with one dash (-platform xcb).
  parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
  parser.setApplicationDescription(
      "Velmora overwrites files, or every file in a folder, forces the data to the disk and deletes them.\n"
      "Paths given here are put on the shred list as if chosen in the window; nothing is shredded until\n"
      "you press \"Shred Now\". Folder mode when every path is a folder, file mode otherwise.\n"
      "With --shred they are shredded at once, without a window (see below).");
  parser.addOption(help);
  parser.addOption(version);
  AddQtOptions(parser);
  parser.addPositionalArgument("PATH", "A file or folder to put on the shred list.", "[PATH...]");
}

QStringList ArgumentsOf(int argc, const char* const* argv) {
  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments << FromBytes(argv[i]);
  return arguments;
}

std::string ErrorText(const QCommandLineParser& parser) {
  return std::string(kProgram) + ": " + ToBytes(parser.errorText()) + "\nTry '" + kProgram +
         " --help' for more information.\n";
}

std::string HelpText(const QCommandLineParser& parser) {
  // Without an application object Qt cannot know the program's name.
  QString text = parser.helpText();
  text.replace(QRegularExpression("^Usage: \\S+"), QString("Usage: ") + kProgram);
  return ToBytes(text) + "\n" + CliHelp();
}

}  // namespace

CommandLine ParseCommandLine(int argc, const char* const* argv) {
  QCommandLineParser parser;
  const QCommandLineOption help({"h", "help"}, "Show this help and exit.");
  const QCommandLineOption version({"v", "version"}, "Show the version and exit.");
  SetUpParser(parser, help, version);

  CommandLine result;
  if (!parser.parse(ArgumentsOf(argc, argv))) {
    result.action = CommandLine::Action::Error;
    result.output = ErrorText(parser);
    return result;
  }
  if (parser.isSet(help)) {
    result.action = CommandLine::Action::Help;
    result.output = HelpText(parser);
    return result;
  }
  if (parser.isSet(version)) {
    result.action = CommandLine::Action::Version;
    result.output = std::string(kProgram) + " " + VELMORA_VERSION + "\n";
    return result;
  }
  for (const QString& path : parser.positionalArguments()) result.paths.push_back(ToBytes(path));
  return result;
}

int FinishWithoutWindow(const CommandLine& command) {
  if (command.action == CommandLine::Action::Error) {
    Print(stderr, command.output);
    return 2;
  }
  Print(stdout, command.output);
  return 0;
}

int QtArgumentCount(int argc, char** argv) {
  for (int i = 1; i < argc; ++i)
    if (std::strcmp(argv[i], "--") == 0) return i;
  return argc;
}

}  // namespace velmora
