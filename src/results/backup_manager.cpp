#include "results/backup_manager.h"

#include "engine/host.h"
#include "engine/scan_context.h"
#include "platform/text_utils.h"
#include "settings/setting_keys.h"
#include "settings/settings_store.h"

#include <algorithm>
#include <cctype>

namespace tessivar {

namespace {

// Mid$(text, start, length) with 1-based start; a start past the end gives "".
std::string mid(std::string_view text, std::size_t start, std::size_t length = std::string_view::npos)
{
    if (start < 1 || start > text.size())
        return {};
    return std::string(text.substr(start - 1, length));
}

std::string replaced(std::string text, char from, char to)
{
    std::replace(text.begin(), text.end(), from, to);
    return text;
}

std::string pathIn(std::string_view folder, std::string_view name)
{
    std::string path(folder);
    if (path.empty() || path.back() != '\\')
        path += '\\';
    return path + std::string(name);
}

bool isFile(FileSystem& files, const std::string& path)
{
    const auto attributes = files.GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// The checked entries' names, taken before any is removed, so that each is handled once.
std::vector<std::string> checkedNames(const BackupManager& manager)
{
    std::vector<std::string> names;
    for (const auto& entry : manager.lvwBackUp) {
        if (entry.checked)
            names.push_back(entry.Name);
    }
    return names;
}

void removeEntry(BackupManager& manager, const std::string& name)
{
    const auto found = std::find_if(manager.lvwBackUp.begin(), manager.lvwBackUp.end(),
                                    [&](const BackupListEntry& entry) { return entry.checked && entry.Name == name; });
    if (found != manager.lvwBackUp.end())
        manager.lvwBackUp.erase(found);
}

} // namespace

void LoadBackupManager(ScanContext& context, BackupManager& manager)
{
    manager.lvwBackUp.clear();
    manager.folder = context.settings.ReadSetting(kTxtBackup, kBackupFolderDefaultForManager);
    if (trimmed(manager.folder).empty())
        manager.folder = context.files.programFolder();
    FindData data;
    const FindHandle handle = context.files.FindFirstFileA(pathIn(manager.folder, "*"), &data, FindDetail::full);
    if (handle == INVALID_FIND_HANDLE)
        return;
    do {
        constexpr std::uint32_t kNotListed = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
        if ((data.attributes & kNotListed) == 0 && upper(data.fileName).find("BACKUP") != std::string::npos)
            AddBackupListEntry(manager, context.files, data.fileName, manager.folder);
        context.host.yield();
    } while (context.files.FindNextFileA(handle, &data));
    context.files.FindClose(handle);
}

void AddBackupListEntry(BackupManager& manager, FileSystem& files, std::string_view name, std::string_view folder)
{
    BackupListEntry entry;
    entry.Name = name;
    const auto found = upper(trimmed(name)).find("BACKUP");
    const std::size_t p = found == std::string::npos ? 0 : found + 1;
    std::size_t s = 0;
    if (p + 7 <= name.size()) {
        const auto blank = name.find(' ', p + 6);
        s = blank == std::string_view::npos ? 0 : blank + 1;
    }
    if (s != 0) {
        entry.Date = std::string(trimmed(replaced(mid(name, p + 6, s > p + 6 ? s - (p + 6) : 0), '-', '/')));
        entry.Time = std::string(trimmed(replaced(mid(name, s), '-', ':')));
    }
    const auto size = files.fileSize(pathIn(folder, name));
    entry.Size = size < 0 ? std::string{} : std::to_string(size);
    manager.lvwBackUp.push_back(std::move(entry));
}

std::vector<BackupFileResult> RestoreCheckedBackups(ScanContext& context, BackupManager& manager)
{
    std::vector<BackupFileResult> results;
    // Held for the whole pass: no other writer changes the registry, the shortcuts or the backups
    // between reading a backup and deleting it.
    PrefixLockScope lock(context.registry.prefixLock());
    for (const auto& name : checkedNames(manager)) {
        BackupFileResult result;
        result.name = name;
        const std::string path = pathIn(manager.folder, name);
        if (!lock.held()) {
            result.found = true;
            result.restore.refused = true;
            result.restore.notes.push_back(lock.why());
        } else if (isFile(context.files, path)) {
            result.found = true;
            result.restore = RestoreBackupFile(context, path);
            // A backup is the only way back to what it holds: it goes only when all of it is back.
            if (result.restore.complete()) {
                context.files.DeleteFileA(path);
                removeEntry(manager, name);
                result.removed = true;
            }
        }
        results.push_back(std::move(result));
        context.host.yield();
    }
    return results;
}

std::vector<BackupFileResult> DeleteCheckedBackups(ScanContext& context, BackupManager& manager)
{
    std::vector<BackupFileResult> results;
    for (const auto& name : checkedNames(manager)) {
        BackupFileResult result;
        result.name = name;
        const bool yes = context.host.showMessageBox(MessageKind::DeleteBackupFile) == MessageAnswer::yes;
        if (yes) {
            // Not held while the question is open: a writer elsewhere must not wait for an answer.
            PrefixLockScope lock(context.registry.prefixLock());
            const std::string path = pathIn(manager.folder, name);
            if (!lock.held()) {
                result.found = true;
                result.refusal = lock.why();
            } else if (isFile(context.files, path)) {
                result.found = true;
                // An entry stays listed while its file could not be deleted.
                if (context.files.DeleteFileA(path)) {
                    removeEntry(manager, name);
                    result.removed = true;
                }
            }
        }
        results.push_back(std::move(result));
        context.host.yield();
    }
    return results;
}

} // namespace tessivar
