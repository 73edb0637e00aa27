#pragma once

// The command line's own syntax: which commands there are, their synopses and options, their
// help texts, and the parsing of a command's arguments. `reg` keeps the syntax of reg.exe and
// parses its arguments itself; only its synopsis is known here.

#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace tessivar::cli {

// What the commands other than `reg` take.
struct CommandArgs {
    bool all = false;                // scan, repair
    bool tsv = false;                // scan, repair
    std::vector<std::string> drives; // scan, repair: --drive LETTER, repeatable
    std::vector<std::string> names;  // restore, delete-backup
    bool yes = false;                // delete-backup
};

enum class ParseResult {
    run,       // the arguments were read: run the command
    helpShown, // --help or -h: the help is on `out`, nothing else is to be done
    error,     // the fault and the synopsis are on `err`
};

// The commands in the order the help lists them.
std::vector<std::string_view> commandNames();
// "tessivar-cli scan [--all] [--drive LETTER]... [--tsv]"; "" for an unknown command.
std::string commandSynopsis(std::string_view command);
// The synopsis, what the command does, and its options; "" for an unknown command.
std::string commandHelp(std::string_view command);
// The overview: every command's synopsis and what it does, and the program's own options.
std::string overviewHelp();
// "tessivar-cli 4.0".
std::string versionText();

// Reads the arguments after the command's name. An unknown option or a missing value names
// itself and the command's synopsis on `err`.
ParseResult parseCommandArgs(std::string_view command, const std::vector<std::string>& args, CommandArgs* parsed,
                             std::ostream& out, std::ostream& err);

// The program: `tessivar-cli [--help | -h | --version | help [COMMAND] | COMMAND ARGUMENTS...]`.
// `run` runs a command with its arguments and returns its exit code; nothing when the command is
// unknown.
using CommandRunner = std::optional<int> (*)(std::string_view command, const std::vector<std::string>& args);
int runCommandLine(const std::vector<std::string>& argv, CommandRunner run, std::ostream& out, std::ostream& err);

} // namespace tessivar::cli
