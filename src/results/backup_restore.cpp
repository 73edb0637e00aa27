// The reader side of backup files: putting back what a repair removed.

#include "engine/catalogue.h"
#include "engine/host.h"
#include "engine/registry_ops.h"
#include "engine/scan_context.h"
#include "platform/text_utils.h"
#include "results/backup_encoding.h"
#include "results/backup_format.h"

#include <array>
#include <cctype>

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

// Only where a repair could have removed something: the trees the checking sections walk, and
// the values the start-up option writes (the Run key's own values, also a walked key). A record
// naming anything else was not written by a repair and is not applied.
bool repairCouldHaveChanged(HKEY hive, std::string_view keyPath)
{
    const std::string wanted = upper(keyPath);
    const auto covers = [&](HKEY walkHive, std::string_view root, bool subtree) {
        if (walkHive != hive)
            return false;
        const std::string top = upper(root);
        if (wanted == top)
            return true;
        return subtree && wanted.size() > top.size() && wanted.compare(0, top.size(), top) == 0 &&
               wanted[top.size()] == '\\';
    };
    for (const ScanSection& section : FixedScanSections()) {
        if (section.ScannerName.empty())
            continue;
        for (const SectionWalk& walk : section.Walks) {
            if ((walk.kind == WalkKind::SubkeyTree || walk.kind == WalkKind::KeyValues) &&
                covers(walk.hive, walk.keyPath, walk.kind == WalkKind::SubkeyTree))
                return true;
        }
    }
    // The fonts key of the other platform family, which the fonts section reads there instead.
    return covers(HKEY_LOCAL_MACHINE, kFontsKeyPathOther, false) || covers(HKEY_LOCAL_MACHINE, kFontsKeyPathNT, false);
}

// A name a repair's copy never has: a copy is never listed as a backup, nor is it the backup.
bool copyNameAllowed(std::string_view copyName, std::string_view backupName)
{
    return upper(copyName).find("BACKUP") == std::string::npos && upper(copyName) != upper(backupName);
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
        if (byte < 0x20 || c == '/' || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' || c == '>' || c == '|')
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
RegistryRestore restoreOlderRecord(Registry& registry, HKEY hive, const RegistryRecord& record)
{
    const std::string valueName = record.KeyName == "(Default)" ? std::string{} : record.KeyName;
    bool written = false;
    if (upper(trimmed(record.DefaultOrNot)) == "YES") {
        const auto slash = record.KeyValue.rfind('\\');
        const std::string bare =
            slash == std::string::npos ? std::string(trimmed(record.KeyValue)) : record.KeyValue.substr(slash + 1);
        written = WriteValueGuessType(registry, hive, record.FullKeyPath, valueName, bare);
    } else {
        written = WriteTypedValue(registry, hive, record.FullKeyPath, valueName, record.KeyValue, REG_SZ);
    }
    return written ? RegistryRestore::restored : RegistryRestore::failed;
}

} // namespace

ShortcutRestore RestoreShortcutCopy(FileSystem& files, std::string_view backupFolder, const ShortcutRecord& record,
                                    std::string* why)
{
    const ShortcutRestore result = PutShortcutCopyBack(files, backupFolder, {}, record, why);
    if (result == ShortcutRestore::restored)
        files.DeleteFileA(std::string(backupFolder) + "\\" + CopyNameOf(record));
    return result;
}

std::string CopyNameOf(const ShortcutRecord& record)
{
    return record.copyName.empty() ? FileNameOfPath(record.path) : record.copyName;
}

ShortcutRestore PutShortcutCopyBack(FileSystem& files, std::string_view backupFolder, std::string_view backupName,
                                    const ShortcutRecord& record, std::string* why)
{
    const auto refuse = [&](const char* reason) {
        if (why)
            *why = reason;
        return ShortcutRestore::refused;
    };
    const std::string copyName = CopyNameOf(record);
    if (!shortcutPathAllowed(record.path))
        return refuse("not a shortcut file path");
    if (!plainFileName(copyName))
        return refuse("the copy's name is not a plain file name");
    if (!copyNameAllowed(copyName, backupName))
        return refuse("the copy's name is that of a backup file, not of a shortcut copy");
    const std::string copyPath = std::string(backupFolder) + "\\" + copyName;
    const auto attributes = files.GetFileAttributesA(copyPath);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        if (why)
            *why = "its copy is missing from the backup folder";
        return ShortcutRestore::noCopy;
    }
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
        return refuse("the copy is a symbolic link");
    if (isLink(files, record.path))
        return refuse("the shortcut's place holds a symbolic link");
    std::string bytes;
    if (!files.readFile(copyPath, &bytes, kMaxShortcutBytes)) {
        if (why)
            *why = "its copy cannot be read";
        return ShortcutRestore::failed;
    }
    if (files.GetFileAttributesA(record.path) != INVALID_FILE_ATTRIBUTES) {
        // Back already (an earlier restore of this backup), or a file the user made since.
        std::string now;
        if (files.readFile(record.path, &now, kMaxShortcutBytes) && now == bytes)
            return ShortcutRestore::restored;
        return refuse("a newer file is at its place now and was kept");
    }
    if (!files.writeFile(record.path, bytes, Sync::yes)) {
        if (why)
            *why = "could not be copied back";
        return ShortcutRestore::failed;
    }
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
    const std::string backupName = FileNameOfPath(backupPath);
    std::vector<std::string> copies; // deleted only once the whole backup is back
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
            if (hive == 0 || !keyPathAllowed(record.FullKeyPath) || !repairCouldHaveChanged(hive, record.FullKeyPath)) {
                ++outcome.failed;
                outcome.notes.push_back(lineText + "refused " + describe(record) + ": not a place a repair changes");
            } else if (!record.exact) {
                if (restoreOlderRecord(context.registry, hive, record) == RegistryRestore::restored) {
                    ++outcome.restored;
                    ++registryRestored;
                } else {
                    ++outcome.failed;
                    outcome.notes.push_back(lineText + "could not write " + describe(record));
                }
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
            switch (PutShortcutCopyBack(context.files, folder, backupName, parsed.shortcut, &reason)) {
            case ShortcutRestore::restored:
                ++outcome.restored;
                copies.push_back(folder + "\\" + CopyNameOf(parsed.shortcut));
                break;
            case ShortcutRestore::noCopy:
                ++outcome.skipped;
                outcome.notes.push_back(lineText + parsed.shortcut.path + ": " + reason);
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
    // While any of it is not back, the backup stays and so do its copies: a second restore then
    // finds each shortcut's copy again (and a shortcut already back counts as restored).
    if (outcome.complete()) {
        for (const auto& copy : copies)
            context.files.DeleteFileA(copy);
    }
    return outcome;
}

} // namespace tessivar
