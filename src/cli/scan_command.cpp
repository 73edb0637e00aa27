#include "cli/scan_command.h"

#include <array>
#include <iostream>
#include <string_view>

#include "cli/cli_context.h"
#include "cli/printable.h"
#include "engine/scan_context.h"
#include "engine/section_list.h"
#include "platform/wine/wine_file_system.h"
#include "results/scan_report.h"
#include "scan/scan_driver.h"

namespace tessivar {

namespace {

// Which rows a summary row stands for: the phrase it contains and the scanner name of its
// problems, as the results view resolves a click on it.
struct SummaryGroup {
    std::string_view phrase;
    std::string_view scannerName;
};

constexpr std::array<SummaryGroup, 9> kSummaryGroups{{
    {"Custom Controls", "ActiveX \\ COM"},
    {"Sub Section Controls", "ActiveX \\ COM Subsections"},
    {"Software Locations", "Application Paths"},
    {"Help Files", "Help Files"},
    {"Shared Files", "Microsoft Shared"},
    {"Windows Startup", "Windows Startup"},
    {"Uninstall Section", "Uninstall Section"},
    {"Virtual Devices", "VxD Section"},
    {"Windows Fonts", "Windows Fonts"},
}};
constexpr std::string_view kShortcutPhrase = "Windows Shortcut";

void printSummary(const ScanModel& model, std::ostream& out)
{
    for (const std::string& row : model.lvwRegistryProblems.rows) {
        out << printable(row) << '\n';
        for (const SummaryGroup& group : kSummaryGroups) {
            if (row.find(group.phrase) == std::string::npos)
                continue;
            for (const ProblemEntry& entry : model.lvwErrors) {
                if (entry.RegistryScanners == group.scannerName)
                    out << "  This file could not be found on your hard drive:" << printable(entry.KeyValue) << '\n';
            }
        }
        if (row.find(kShortcutPhrase) != std::string::npos) {
            for (const ShortcutEntry& entry : model.lvwShortcut)
                out << "  The path of this file is incorrect : " << printable(entry.path) << '\n';
        }
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

} // namespace

ScanCommandOutcome RunScanCommand(ScanContext& context, const std::vector<std::string>& args, std::ostream& out,
                                  std::ostream& err, std::string_view command)
{
    bool all = false;
    bool tsv = false;
    for (const std::string& arg : args) {
        if (arg == "--all") {
            all = true;
        } else if (arg == "--tsv") {
            tsv = true;
        } else {
            err << command << ": unknown argument \"" << arg << "\"\n"
                << "usage: " << command << " [--all] [--tsv]\n";
            return {};
        }
    }

    // A registry that could not be read whole would scan as a clean system.
    if (std::string why; !context.registry.canRead(&why)) {
        err << command << ": the registry cannot be scanned: " << printable(why) << '\n';
        return {};
    }

    ScanModel& model = context.model;
    LoadlvwRegistryvaluesScanValues(context);
    if (all) {
        // As the select-all box does when it is checked: every entry checked, each stored.
        model.UpdatingSelectAll = false;
        model.chkSelectlistviewItems = CheckState::checked;
        chkSelectlistviewItems_Click(context);
    }

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
