// The reader side of backup files: putting back what a repair removed.

#include "platform/text_utils.h"

#include <array>
#include <cctype>

#include "engine/host.h"
#include "engine/registry_ops.h"
#include "engine/scan_context.h"
#include "results/backup_encoding.h"
#include "results/backup_format.h"

namespace tessivar {

namespace {

// Only the six hives a backup may name; short names and the performance hive are not among them.
HKEY hiveOfRecord(std::string_view name)
{
    static constexpr std::array<std::pair<std::string_view, HKEY>, 6> kHives{{
        {"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
        {"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
        {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
        {"HKEY_USERS", HKEY_USERS},
        {"HKEY_CURRENT_CONFIG", HKEY_CURRENT_CONFIG},
        {"HKEY_DYN_DATA", HKEY_DYN_DATA},
    }};
    const std::string wanted = upper(trimmed(name));
    for (const auto& [hiveName, hive] : kHives) {
        if (wanted == hiveName)
            return hive;
    }
    return 0;
}

// A key path a record may write into: non-empty, no empty component, no control character.
bool keyPathAllowed(std::string_view path)
{
    if (path.empty() || path.front() == '\\' || path.back() == '\\' || path.find("\\\\") != std::string_view::npos)
        return false;
    for (const char c : path) {
        if (static_cast<unsigned char>(c) < 0x20)
            return false;
    }
    return true;
}

bool endsWithIgnoringCase(std::string_view text, std::string_view suffix)
{
    return text.size() >= suffix.size() && upper(text.substr(text.size() - suffix.size())) == upper(suffix);
}

// "X:\folder\name.lnk": a drive path to a shortcut file, no "." or ".." or empty component, no
// character Windows forbids in a path.
bool shortcutPathAllowed(std::string_view path)
{
    if (!endsWithIgnoringCase(path, ".lnk") && !endsWithIgnoringCase(path, ".url"))
        return false;
    if (path.size() < 4 || !std::isalpha(static_cast<unsigned char>(path[0])) || path[1] != ':' || path[2] != '\\')
        return false;
    for (const char c : path.substr(2)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || c == '/' || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' || c == '>' ||
            c == '|')
            return false;
    }
    std::size_t start = 3;
    while (start <= path.size()) {
        const auto end = std::min(path.find('\\', start), path.size());
        const auto component = path.substr(start, end - start);
        if (component.empty() || component == "." || component == "..")
            return false;
        start = end + 1;
    }
    return true;
}

bool plainFileName(std::string_view name)
{
    if (name.empty() || name == "." || name == "..")
        return false;
    for (const char c : name) {
        if (static_cast<unsigned char>(c) < 0x20 || c == '\\' || c == '/' || c == ':')
            return false;
    }
    return true;
}

bool isLink(FileSystem& files, std::string_view path)
{
    const auto attributes = files.GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

std::string describe(const RegistryRecord& record)
{
    std::string name = record.exact ? record.valueName : record.KeyName;
    return record.mainkeyname + "\\" + record.FullKeyPath + " \"" + name + "\"";
}

enum class RegistryRestore { restored, failed };

RegistryRestore restoreExactValue(Registry& registry, HKEY hive, const RegistryRecord& record)
{
    // The value was already gone when repair came to it, so repair changed nothing.
    if (!record.before.present)
        return RegistryRestore::restored;
    HKEY key = 0;
    std::uint32_t disposition = 0;
    if (registry.RegCreateKeyExA(hive, record.FullKeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, &key,
                                 &disposition) != ERROR_SUCCESS)
        return RegistryRestore::failed;
    const LSTATUS status = registry.setRawValue(key, record.valueName, record.before.type, record.before.data);
    registry.RegCloseKey(key);
    return status == ERROR_SUCCESS ? RegistryRestore::restored : RegistryRestore::failed;
}

// A record written by an older version: it holds the path the check tested, not the value.
void restoreOlderRecord(Registry& registry, HKEY hive, const RegistryRecord& record)
{
    const std::string valueName = record.KeyName == "(Default)" ? std::string{} : record.KeyName;
    if (upper(trimmed(record.DefaultOrNot)) == "YES") {
        const auto slash = record.KeyValue.rfind('\\');
        const std::string bare = slash == std::string::npos ? std::string(trimmed(record.KeyValue))
                                                            : record.KeyValue.substr(slash + 1);
        WriteValueGuessType(registry, hive, record.FullKeyPath, valueName, bare);
        return;
    }
    WriteTypedValue(registry, hive, record.FullKeyPath, valueName, record.KeyValue, REG_SZ);
}

} // namespace

ShortcutRestore RestoreShortcutCopy(FileSystem& files, std::string_view backupFolder, const ShortcutRecord& record,
                                    std::string* why)
{
    const auto refuse = [&](const char* reason) {
        if (why)
            *why = reason;
        return ShortcutRestore::refused;
    };
    const std::string copyName = record.copyName.empty() ? FileNameOfPath(record.path) : record.copyName;
    if (!shortcutPathAllowed(record.path))
        return refuse("not a shortcut file path");
    if (!plainFileName(copyName))
        return refuse("the copy's name is not a plain file name");
    const std::string copyPath = std::string(backupFolder) + "\\" + copyName;
    const auto attributes = files.GetFileAttributesA(copyPath);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return ShortcutRestore::noCopy;
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
        return refuse("the copy is a symbolic link");
    if (isLink(files, record.path))
        return refuse("the shortcut's place holds a symbolic link");
    std::string bytes;
    if (!files.readFile(copyPath, &bytes, kMaxShortcutBytes) || !files.writeFile(record.path, bytes, Sync::yes)) {
        if (why)
            *why = "could not be copied back";
        return ShortcutRestore::failed;
    }
    // The copy goes only once the shortcut is back; a copy that cannot be deleted is harmless.
    files.DeleteFileA(copyPath);
    return ShortcutRestore::restored;
}

RestoreOutcome RestoreBackupFile(ScanContext& context, std::string_view backupPath)
{
    RestoreOutcome outcome;
    std::string why;
    if (!context.registry.canWrite(&why)) {
        outcome.refused = true;
        outcome.notes.push_back(why.empty() ? "the registry cannot be written now" : why);
        return outcome;
    }
    const auto size = context.files.fileSize(backupPath);
    std::vector<std::string> lines;
    if (size < 0 || size > kMaxBackupFileBytes || !context.files.readLines(backupPath, &lines)) {
        outcome.refused = true;
        outcome.notes.push_back("the backup file cannot be read");
        return outcome;
    }
    const std::string folder = FolderOfPath(backupPath);
    int registryRestored = 0;
    RegistryBatch batch(context.registry);
    std::vector<ParsedRecord> records;
    records.reserve(lines.size());
    bool exact = false;
    for (const auto& line : lines) {
        records.push_back(ParseBackupRecord(DecodeBackupFields(line)));
        exact = exact || (records.back().kind == RecordKind::registry && records.back().registry.exact);
    }
    // Records that hold the value as it was just before its change are undone last change first:
    // a value changed twice (found through two sections, or by two runs within one second) then
    // ends as it was before the first change. Older files are replayed in file order, as ever.
    for (std::size_t n = 0; n < records.size(); ++n) {
        const std::size_t i = exact ? records.size() - 1 - n : n;
        const ParsedRecord& parsed = records[i];
        const std::string lineText = "line " + std::to_string(i + 1) + ": ";
        switch (parsed.kind) {
        case RecordKind::nothing:
            break;
        case RecordKind::damaged:
            ++outcome.failed;
            outcome.notes.push_back(lineText + "damaged record");
            break;
        case RecordKind::registry: {
            const RegistryRecord& record = parsed.registry;
            const HKEY hive = hiveOfRecord(record.mainkeyname);
            if (hive == 0 || !keyPathAllowed(record.FullKeyPath)) {
                ++outcome.failed;
                outcome.notes.push_back(lineText + "refused " + describe(record));
            } else if (!record.exact) {
                restoreOlderRecord(context.registry, hive, record);
                ++outcome.restored;
                ++registryRestored;
            } else if (restoreExactValue(context.registry, hive, record) == RegistryRestore::restored) {
                ++outcome.restored;
                ++registryRestored;
            } else {
                ++outcome.failed;
                outcome.notes.push_back(lineText + "could not write " + describe(record));
            }
            break;
        }
        case RecordKind::shortcut: {
            std::string reason;
            switch (RestoreShortcutCopy(context.files, folder, parsed.shortcut, &reason)) {
            case ShortcutRestore::restored:
                ++outcome.restored;
                break;
            case ShortcutRestore::noCopy:
                ++outcome.skipped;
                break;
            case ShortcutRestore::refused:
            case ShortcutRestore::failed:
                ++outcome.failed;
                outcome.notes.push_back(lineText + parsed.shortcut.path + ": " + reason);
                break;
            }
            break;
        }
        }
        context.host.yield();
    }
    std::string saveError;
    if (!batch.commit(&saveError) && registryRestored > 0) {
        outcome.restored -= registryRestored;
        outcome.failed += registryRestored;
        outcome.notes.push_back("the registry could not be saved: " + saveError);
    }
    return outcome;
}

} // namespace tessivar
