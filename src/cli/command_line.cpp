#include "cli/command_line.h"

#include "cli/printable.h"
#include "cli/reg_help.h"

#include <CLI/CLI.hpp>
#include <memory>
#include <sstream>

#ifndef TESSIVAR_VERSION
#error "TESSIVAR_VERSION comes from the project's version"
#endif

namespace tessivar::cli {

namespace {

struct CommandInfo {
    std::string_view name;
    std::string_view synopsis; // after "tessivar-cli "
    std::string_view summary;
};

constexpr CommandInfo kCommands[] = {
    {"reg", "reg OPERATION KEY [SWITCHES]",
     "reads and changes the prefix's registry as reg.exe does (reg /? for its syntax)"},
    {"scan", "scan [--all] [--drive LETTER]... [--tsv]", "scans the prefix and prints the problems found"},
    {"repair", "repair [--all] [--drive LETTER]... [--tsv]",
     "scans as scan does, then repairs every problem found, backing up first"},
    {"backups", "backups", "lists the backups"},
    {"restore", "restore NAME...", "puts back what the named backups hold, then deletes them"},
    {"delete-backup", "delete-backup NAME... [--yes]", "deletes the named backups, asking for each unless --yes"},
};

const CommandInfo* findCommand(std::string_view name)
{
    for (const CommandInfo& command : kCommands)
        if (command.name == name)
            return &command;
    return nullptr;
}

// The options of one command, bound to `args`.
std::unique_ptr<CLI::App> makeApp(const CommandInfo& command, CommandArgs& args)
{
    auto app = std::make_unique<CLI::App>(std::string(command.summary), "tessivar-cli " + std::string(command.name));
    app->set_help_flag("-h,--help", "print this help");
    const std::string_view name = command.name;
    if (name == "scan" || name == "repair") {
        app->add_flag("--all", args.all,
                      "check every registry section and every drive inside the prefix first, and store that "
                      "choice; a drive outside the prefix stays as chosen");
        app->add_option("--drive", args.drives,
                        "walk drive LETTER too, even one whose folder lies outside the prefix (repeatable)")
            ->type_name("LETTER");
        app->add_flag("--tsv", args.tsv, "print one tab-separated line per problem instead of the summary");
    } else if (name == "restore") {
        app->add_option("NAME", args.names, "a backup's name as `backups` lists it");
    } else if (name == "delete-backup") {
        app->add_option("NAME", args.names, "a backup's name as `backups` lists it");
        app->add_flag("--yes", args.yes, "delete without asking");
    }
    return app;
}

std::string optionLines(const CLI::App& app)
{
    std::string text;
    for (const CLI::Option* option : app.get_options()) {
        std::string name = option->get_positional() ? option->get_name(true) : option->get_name(false, true);
        if (!option->get_positional() && option->get_type_size() > 0)
            name += " " + option->get_type_name();
        std::string line = "  " + name;
        line.resize(std::max<std::size_t>(line.size() + 2, 20), ' ');
        text += line + option->get_description() + "\n";
    }
    return text;
}

} // namespace

std::vector<std::string_view> commandNames()
{
    std::vector<std::string_view> names;
    for (const CommandInfo& command : kCommands)
        names.push_back(command.name);
    return names;
}

std::string commandSynopsis(std::string_view command)
{
    const CommandInfo* info = findCommand(command);
    return info ? "tessivar-cli " + std::string(info->synopsis) : std::string();
}

std::string commandHelp(std::string_view command)
{
    const CommandInfo* info = findCommand(command);
    if (!info)
        return {};
    std::string text = "usage: " + commandSynopsis(command) + "\n" + std::string(info->summary) + "\n";
    if (info->name == "reg")
        return text + "\n" + std::string(regHelpText(""));
    CommandArgs ignored;
    const auto app = makeApp(*info, ignored);
    return text + "options:\n" + optionLines(*app);
}

std::string overviewHelp()
{
    std::string text = "usage: tessivar-cli COMMAND [ARGUMENTS]\n"
                       "       tessivar-cli help COMMAND | --help | --version\n"
                       "Works on the Wine prefix of $WINEPREFIX, else ~/.wine.\n\ncommands:\n";
    for (const CommandInfo& command : kCommands)
        text += "  " + commandSynopsis(command.name) + "\n      " + std::string(command.summary) + "\n";
    text += "\n'tessivar-cli help COMMAND' or 'tessivar-cli COMMAND --help' shows a command's options.\n";
    return text;
}

std::string versionText()
{
    return std::string("tessivar-cli ") + TESSIVAR_VERSION;
}

ParseResult parseCommandArgs(std::string_view command, const std::vector<std::string>& args, CommandArgs* parsed,
                             std::ostream& out, std::ostream& err)
{
    const CommandInfo* info = findCommand(command);
    if (!info || info->name == "reg")
        return ParseResult::error;
    CommandArgs read;
    const auto app = makeApp(*info, read);
    // The library throws for help and for faults; both end here, as values.
    try {
        app->parse(std::vector<std::string>(args.rbegin(), args.rend()));
    } catch (const CLI::CallForHelp&) {
        out << commandHelp(command);
        return ParseResult::helpShown;
    } catch (const CLI::ParseError& error) {
        err << "tessivar-cli " << command << ": " << printable(error.what()) << "\nusage: " << commandSynopsis(command)
            << "\n";
        return ParseResult::error;
    }
    *parsed = std::move(read);
    return ParseResult::run;
}

int runCommandLine(const std::vector<std::string>& argv, CommandRunner run, std::ostream& out, std::ostream& err)
{
    if (argv.empty()) {
        err << overviewHelp();
        return 2;
    }
    const std::string& first = argv[0];
    if (first == "--help" || first == "-h") {
        out << overviewHelp();
        return 0;
    }
    if (first == "--version") {
        out << versionText() << "\n";
        return 0;
    }
    if (first == "help") {
        if (argv.size() == 1) {
            out << overviewHelp();
            return 0;
        }
        const std::string help = commandHelp(argv[1]);
        if (help.empty() || argv.size() > 2) {
            err << "tessivar-cli help: no command \"" << printable(argv.size() > 2 ? argv[2] : argv[1]) << "\"\n"
                << "usage: tessivar-cli help COMMAND\n";
            return 2;
        }
        out << help;
        return 0;
    }
    const std::vector<std::string> rest(argv.begin() + 1, argv.end());
    if (first == "reg" && rest.size() == 1 && (rest[0] == "--help")) {
        out << commandHelp("reg");
        return 0;
    }
    if (findCommand(first)) {
        // Help and faults of the arguments are answered before any prefix is opened.
        CommandArgs ignored;
        if (first != "reg") {
            switch (parseCommandArgs(first, rest, &ignored, out, err)) {
            case ParseResult::helpShown:
                return 0;
            case ParseResult::error:
                return 2;
            case ParseResult::run:
                break;
            }
        }
        if (const std::optional<int> code = run(first, rest))
            return *code;
    }
    err << "tessivar-cli: unknown command \"" << printable(first) << "\"\n" << overviewHelp();
    return 2;
}

} // namespace tessivar::cli
