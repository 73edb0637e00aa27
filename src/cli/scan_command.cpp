#include "cli/scan_command.h"

#include "cli/cli_context.h"
#include "cli/printable.h"
#include "engine/scan_context.h"
#include "engine/section_list.h"
#include "platform/wine/wine_file_system.h"
#include "results/scan_report.h"
#include "results/summary_views.h"
#include "scan/scan_driver.h"

#include <iostream>
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
