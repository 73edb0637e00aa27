#include "cli/scan_command.h"

#include "cli/cli_context.h"
#include "cli/command_line.h"
#include "cli/printable.h"
#include "engine/catalogue.h"
#include "engine/scan_context.h"
#include "engine/section_list.h"
#include "platform/wine/wine_file_system.h"
#include "results/scan_report.h"
#include "results/summary_views.h"
#include "scan/scan_driver.h"
#include "settings/settings_store.h"

#include <algorithm>
#include <array>
#include <iostream>
#include <optional>
#include <string_view>

namespace tessivar {

namespace {

void printSummary(const ScanModel& model, std::ostream& out)
{
    for (const std::string& row : model.lvwRegistryProblems.rows) {
        out << printable(row) << '\n';
        for (const std::string& detail : SummaryDetailRows(model, row))
            out << "  " << printable(detail) << '\n';
    }
    out << "Total numbers of problems detected : " << model.lvwErrors.count() + model.lvwShortcut.count() << '\n';
}

void printTable(const ScanModel& model, std::ostream& out)
{
    out << "MainKey\tKeyName\tKeyValue\tRegistry Scanners\tFullKeyPath\tmainkeyname\tDefaultOrNot\n";
    for (const ProblemEntry& e : model.lvwErrors) {
        out << printable(e.MainKey) << '\t' << printable(e.KeyName) << '\t' << printable(e.KeyValue) << '\t'
            << printable(e.RegistryScanners) << '\t' << printable(e.FullKeyPath) << '\t' << printable(e.mainkeyname)
            << '\t' << printable(e.DefaultOrNot) << '\n';
    }
    // A broken shortcut has a path and a section only; they stand in the file and section columns.
    for (const ShortcutEntry& e : model.lvwShortcut)
        out << "\t\t" << printable(e.path) << '\t' << printable(e.sectionText) << "\t\t\t\n";
}

// The entry of a drive named as "Z", "z" or "Z:".
std::optional<std::size_t> driveEntryIndex(const ScanModel& model, const std::string& name)
{
    if (name.empty() || name.size() > 2 || (name.size() == 2 && name[1] != ':'))
        return std::nullopt;
    const char letter = name[0] >= 'a' && name[0] <= 'z' ? static_cast<char>(name[0] - 'a' + 'A') : name[0];
    const std::string listText = DriveEntryListText(letter);
    for (std::size_t i = 0; i < model.lvwRegistryvaluesScan.size(); ++i)
        if (model.lvwRegistryvaluesScan[i].ListText == listText)
            return i;
    return std::nullopt;
}

// Every registry section and every drive inside the prefix checked and stored, as the select-all
// box does; a drive outside the prefix keeps the user's own choice, stored or not.
void checkAllOfThePrefix(ScanContext& context)
{
    ScanModel& model = context.model;
    std::vector<std::string> outside;
    for (const DriveInfo& drive : context.files.drives())
        if (!drive.insidePrefix)
            outside.push_back(DriveEntryListText(drive.letter));
    for (std::size_t i = 0; i < model.lvwRegistryvaluesScan.size(); ++i) {
        const std::string listText = model.lvwRegistryvaluesScan[i].ListText;
        if (std::find(outside.begin(), outside.end(), listText) != outside.end())
            continue;
        model.lvwRegistryvaluesScan.update(i, [](SectionListEntry& entry) { entry.checked = true; });
        context.settings.WriteSetting(listText, "True");
    }
    UpdateSelectAllBox(context);
}

} // namespace

ScanCommandOutcome RunScanCommand(ScanContext& context, const std::vector<std::string>& args, std::ostream& out,
                                  std::ostream& err, std::string_view command)
{
    cli::CommandArgs parsed;
    switch (cli::parseCommandArgs("scan", args, &parsed, out, err)) {
    case cli::ParseResult::helpShown:
        return {kScanExitClean, {}};
    case cli::ParseResult::error:
        return {};
    case cli::ParseResult::run:
        break;
    }

    // A registry that could not be read whole would scan as a clean system.
    if (std::string why; !context.registry.canRead(&why)) {
        err << command << ": the registry cannot be scanned: " << printable(why) << '\n';
        return {};
    }

    ScanModel& model = context.model;
    LoadlvwRegistryvaluesScanValues(context);
    // Drives named on the command line are walked in this run; their stored choice stays.
    std::vector<std::size_t> named;
    for (const std::string& drive : parsed.drives) {
        const std::optional<std::size_t> index = driveEntryIndex(model, drive);
        if (!index) {
            err << "tessivar-cli scan: no fixed drive \"" << printable(drive) << "\" to walk\n"
                << "usage: " << cli::commandSynopsis("scan") << '\n';
            return {};
        }
        named.push_back(*index);
    }
    if (parsed.all)
        checkAllOfThePrefix(context);
    for (const std::size_t index : named)
        model.lvwRegistryvaluesScan.update(index, [](SectionListEntry& entry) { entry.checked = true; });
    const bool tsv = parsed.tsv;

    ImgScanNowMouseMove_Click(context);

    if (tsv)
        printTable(model, out);
    else
        printSummary(model, out);
    out.flush();

    ScanCommandOutcome outcome;
    outcome.exitCode = model.lvwErrors.count() + model.lvwShortcut.count() > 0 ? kScanExitProblems : kScanExitClean;
    if (model.scanReportWritten)
        outcome.reportPath = ScanReportPath(context);
    return outcome;
}

namespace cli {

int scanCommand(const std::vector<std::string>& args)
{
    auto cli = openCliContext(std::cerr);
    if (!cli->platform.prefixExists) {
        std::cerr << "tessivar-cli scan: there is no Wine prefix to scan (set WINEPREFIX)\n";
        return kScanExitError;
    }
    const ScanCommandOutcome outcome = RunScanCommand(*cli->context, args, std::cout, std::cerr);
    if (!outcome.reportPath.empty()) {
        std::cerr << "tessivar-cli: scan report " << outcome.reportPath;
        if (auto* files = dynamic_cast<wine::WineFileSystem*>(cli->files.get())) {
            if (const auto unixPath = files->unixPathOf(outcome.reportPath))
                std::cerr << " (" << unixPath->string() << ")";
        }
        std::cerr << "\n";
    }
    return outcome.exitCode;
}

} // namespace cli

} // namespace tessivar
