#include "cli/backup_commands.h"

#include "cli/printable.h"
#include "engine/host.h"
#include "engine/scan_context.h"
#include "results/backup_manager.h"

namespace tessivar {

namespace {

// Checks the named entries; false (and one line on `err`) when a name is not in the list or
// none is given.
bool checkNamed(BackupManager& manager, const std::vector<std::string>& names, const char* command,
                std::ostream& err)
{
    if (names.empty()) {
        err << "tessivar-cli " << command << ": name at least one backup (see tessivar-cli backups)\n";
        return false;
    }
    for (const auto& name : names) {
        bool found = false;
        for (auto& entry : manager.lvwBackUp) {
            if (entry.Name == name) {
                entry.checked = true;
                found = true;
            }
        }
        if (!found) {
            err << "tessivar-cli " << command << ": no backup named \"" << printable(name) << "\" in "
                << printable(manager.folder) << '\n';
            return false;
        }
    }
    return true;
}

// Asks the manager's question on the terminal, naming the file it is about.
class PromptHost final : public Host {
public:
    PromptHost(Host& inner, std::istream& in, std::ostream& out, bool yes) : m_inner(inner), m_in(in), m_out(out), m_yes(yes) {}

    void yield() override { m_inner.yield(); }
    bool playSoundAsync(const std::string&) override { return false; }
    void showMessageBox(std::string& MessageboxRequest) override
    {
        if (m_yes) {
            MessageboxRequest = "YES";
            return;
        }
        m_out << "Are you sure you want delete the selected file ? " << printable(fileName) << " [y/N] ";
        m_out.flush();
        std::string answer;
        std::getline(m_in, answer);
        const bool yes = !answer.empty() && (answer[0] == 'y' || answer[0] == 'Y');
        MessageboxRequest = yes ? "YES" : "NO";
    }

    std::string fileName;

private:
    Host& m_inner;
    std::istream& m_in;
    std::ostream& m_out;
    bool m_yes;
};

} // namespace

int RunBackupsCommand(ScanContext& context, const std::vector<std::string>& args, std::ostream& out,
                      std::ostream& err)
{
    if (!args.empty()) {
        err << "tessivar-cli backups: takes no arguments\n";
        return kBackupExitRefused;
    }
    BackupManager manager;
    LoadBackupManager(context, manager);
    out << kBackupListHeaders[0] << '\t' << kBackupListHeaders[1] << '\t' << kBackupListHeaders[2] << '\t'
        << kBackupListHeaders[3] << '\n';
    for (const auto& entry : manager.lvwBackUp)
        out << printable(entry.Name) << '\t' << entry.Date << '\t' << entry.Time << '\t' << entry.Size << '\n';
    return kBackupExitDone;
}

int RunRestoreCommand(ScanContext& context, const std::vector<std::string>& args, std::ostream& out,
                      std::ostream& err)
{
    BackupManager manager;
    LoadBackupManager(context, manager);
    if (!checkNamed(manager, args, "restore", err))
        return kBackupExitRefused;
    std::string why;
    if (!context.registry.canWrite(&why)) {
        err << "tessivar-cli restore: nothing restored: " << printable(why) << '\n';
        return kBackupExitRefused;
    }
    int exitCode = kBackupExitDone;
    for (const auto& result : RestoreCheckedBackups(context, manager)) {
        const auto& restore = result.restore;
        if (result.removed) {
            out << "restored " << printable(result.name) << ": " << restore.restored
                << " record(s) put back; backup deleted\n";
            continue;
        }
        exitCode = kBackupExitIncomplete;
        if (!result.found) {
            out << "not restored " << printable(result.name) << ": the file is gone\n";
            continue;
        }
        out << "not complete " << printable(result.name) << ": " << restore.restored << " record(s) put back, "
            << restore.failed + restore.skipped << " could not be";
        if (restore.skipped > 0)
            out << " (" << restore.skipped << " shortcut(s) without their copy)";
        out << "; backup kept\n";
        for (const auto& note : restore.notes)
            out << "  " << printable(note) << '\n';
    }
    return exitCode;
}

int RunDeleteBackupCommand(ScanContext& context, const std::vector<std::string>& args, std::istream& in,
                           std::ostream& out, std::ostream& err)
{
    bool yes = false;
    std::vector<std::string> names;
    for (const auto& arg : args) {
        if (arg == "--yes")
            yes = true;
        else
            names.push_back(arg);
    }
    BackupManager manager;
    LoadBackupManager(context, manager);
    if (!checkNamed(manager, names, "delete-backup", err))
        return kBackupExitRefused;

    PromptHost host(context.host, in, out, yes);
    ScanContext asking{context.registry, context.files, context.settings, context.clock, host, context.model};
    int exitCode = kBackupExitDone;
    // One file at a time, so that each question can name its file.
    std::vector<std::string> order;
    for (const auto& entry : manager.lvwBackUp) {
        if (entry.checked)
            order.push_back(entry.Name);
    }
    for (const auto& name : order) {
        for (auto& entry : manager.lvwBackUp)
            entry.checked = entry.Name == name;
        host.fileName = name;
        for (const auto& result : DeleteCheckedBackups(asking, manager)) {
            if (result.removed) {
                out << "deleted " << printable(result.name) << '\n';
            } else if (result.found) {
                out << "could not delete " << printable(result.name);
                if (!result.refusal.empty())
                    out << ": " << printable(result.refusal);
                out << '\n';
                exitCode = kBackupExitIncomplete;
            } else {
                out << "kept " << printable(result.name) << '\n';
            }
        }
    }
    return exitCode;
}

} // namespace tessivar
