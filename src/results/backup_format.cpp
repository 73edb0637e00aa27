#include "results/backup_format.h"

#include "platform/text_utils.h"
#include "results/backup_encoding.h"
#include "settings/settings_store.h"

#include <cctype>
#include <charconv>
#include <cstdio>

namespace tessivar {

namespace {

constexpr std::string_view kAbsent = "absent";
constexpr std::size_t kOlderRegistryFields = 6;
constexpr std::size_t kRegistryFields = 10;
constexpr std::size_t kOlderShortcutFields = 2;
constexpr std::size_t kShortcutFields = 3;

bool allDigits(std::string_view text)
{
    if (text.empty())
        return false;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

template <typename T> bool parseNumber(std::string_view text, T& value)
{
    if (!allDigits(text))
        return false;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    return result.ec == std::errc() && result.ptr == text.data() + text.size();
}

std::string hexOf(const std::vector<std::uint8_t>& bytes)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (const auto b : bytes) {
        out += kDigits[b >> 4];
        out += kDigits[b & 0x0F];
    }
    return out;
}

bool bytesOfHex(std::string_view hex, std::vector<std::uint8_t>& bytes)
{
    if (hex.size() % 2 != 0)
        return false;
    bytes.clear();
    bytes.reserve(hex.size() / 2);
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int high = hexDigitValue(hex[i]);
        const int low = hexDigitValue(hex[i + 1]);
        if (high < 0 || low < 0)
            return false;
        bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
    }
    return true;
}

// The added fields of a registry record; false when they are not what the writer produces.
bool parseExactValue(const std::vector<std::string>& fields, RegistryRecord& record)
{
    record.exact = true;
    record.valueName = fields[6];
    if (fields[7] == kAbsent)
        return fields[8].empty() && fields[9].empty();
    std::size_t size = 0;
    if (!parseNumber(fields[7], record.before.type) || !parseNumber(fields[8], size))
        return false;
    if (fields[9].size() / 2 != size || !bytesOfHex(fields[9], record.before.data))
        return false;
    record.before.present = true;
    return true;
}

std::string copyNameCandidate(std::string_view bareName, int attempt)
{
    if (attempt == 1)
        return std::string(bareName);
    const auto dot = bareName.rfind('.');
    const std::string_view stem = dot == std::string_view::npos ? bareName : bareName.substr(0, dot);
    const std::string_view extension = dot == std::string_view::npos ? std::string_view{} : bareName.substr(dot);
    return std::string(stem) + " (" + std::to_string(attempt) + ")" + std::string(extension);
}

bool appendLines(FileSystem& files, std::string_view backupPath, std::string_view lines, BackupFileState* state)
{
    if (state && state->mayEndMidLine) {
        if (!files.appendLine(backupPath, "", Sync::yes))
            return false;
        state->mayEndMidLine = false;
    }
    if (files.appendLine(backupPath, lines, Sync::yes))
        return true;
    if (state)
        state->mayEndMidLine = true;
    return false;
}

bool appendRecord(FileSystem& files, std::string_view backupPath, const std::vector<std::string>& fields,
                  BackupFileState* state)
{
    return appendLines(files, backupPath, EncodeBackupFields(fields), state);
}

bool exists(FileSystem& files, const std::string& path)
{
    return files.GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

// A copy named like a backup would be listed, restored and deleted as one: "Backup Tool.lnk"
// is kept as "Back-up Tool.lnk".
std::string withoutBackupWord(std::string name)
{
    for (auto at = upper(name).find("BACKUP"); at != std::string::npos; at = upper(name).find("BACKUP"))
        name.insert(at + 4, "-");
    return name;
}

// The copy names every backup in the folder refers to, so that a copy restored (and so gone)
// never has its name given to another shortcut while its backup may still be restored.
void readTakenCopyNames(FileSystem& files, const std::string& folder, std::set<std::string>& taken)
{
    FindData data;
    const FindHandle handle = files.FindFirstFileA(folder + "\\*", &data, FindDetail::full);
    if (handle == INVALID_FIND_HANDLE)
        return;
    do {
        if ((data.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ||
            upper(data.fileName).find("BACKUP") == std::string::npos)
            continue;
        std::vector<std::string> lines;
        const std::string path = folder + "\\" + data.fileName;
        const auto size = files.fileSize(path);
        if (size < 0 || size > kMaxBackupFileBytes || !files.readLines(path, &lines))
            continue;
        for (const auto& line : lines) {
            const ParsedRecord parsed = ParseBackupRecord(DecodeBackupFields(line));
            if (parsed.kind != RecordKind::shortcut)
                continue;
            taken.insert(upper(parsed.shortcut.copyName.empty() ? FileNameOfPath(parsed.shortcut.path)
                                                                : parsed.shortcut.copyName));
        }
    } while (files.FindNextFileA(handle, &data));
    files.FindClose(handle);
}

} // namespace

bool BackupsSwitchedOn(SettingsStore& settings)
{
    // Only a setting that reads as the number 0 switches backups off; a damaged setting keeps the
    // safe choice.
    const std::string text(trimmed(settings.ReadSetting("chkMakeBackUp", 1)));
    double number = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), number);
    return !(result.ec == std::errc() && result.ptr == text.data() + text.size() && number == 0);
}

std::string FileNameOfPath(std::string_view path)
{
    if (trimmed(path).empty())
        return {};
    const auto slash = path.rfind('\\');
    if (slash == std::string_view::npos)
        return {};
    return std::string(path.substr(slash + 1));
}

std::string FolderOfPath(std::string_view path)
{
    const auto slash = path.rfind('\\');
    return slash == std::string_view::npos ? std::string{} : std::string(path.substr(0, slash));
}

std::string BackupFileName(const LocalDateTime& start)
{
    char name[64];
    std::snprintf(name, sizeof name, "BackUp %02d-%02d-%02d %02d-%02d-%02d", start.day % 100, start.month % 100,
                  start.year % 100, start.hour % 100, start.minute % 100, start.second % 100);
    return name;
}

std::string CurrentBackupPath(SettingsStore& settings, FileSystem& files, const LocalDateTime& start)
{
    std::string folder = BackupFolder(settings, files);
    if (folder.empty() || folder.back() != '\\')
        folder += '\\';
    return folder + BackupFileName(start);
}

RawValue ReadRawValue(Registry& registry, HKEY hive, std::string_view keyPath, std::string_view valueName)
{
    RawValue value;
    HKEY key = 0;
    if (registry.RegOpenKeyExA(hive, keyPath, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return value;
    if (registry.queryRawValue(key, valueName, &value.type, &value.data) == ERROR_SUCCESS)
        value.present = true;
    else
        value = RawValue{};
    registry.RegCloseKey(key);
    return value;
}

RegistryRecord MakeRegistryRecord(const ProblemEntry& entry, std::string_view hiveName, std::string_view valueName,
                                  RawValue before)
{
    RegistryRecord record;
    record.mainkeyname = hiveName.empty() ? entry.mainkeyname : std::string(hiveName);
    record.FullKeyPath = entry.FullKeyPath;
    record.KeyValue = entry.KeyValue;
    record.KeyName = entry.KeyName;
    record.DefaultOrNot = entry.DefaultOrNot;
    record.exact = true;
    record.valueName = valueName;
    record.before = std::move(before);
    return record;
}

std::vector<std::string> RecordFields(const RegistryRecord& record)
{
    std::vector<std::string> fields{
        "R", record.mainkeyname, record.FullKeyPath, record.KeyValue, record.KeyName, record.DefaultOrNot};
    if (!record.exact)
        return fields;
    fields.push_back(record.valueName);
    if (record.before.present) {
        fields.push_back(std::to_string(record.before.type));
        fields.push_back(std::to_string(record.before.data.size()));
        fields.push_back(hexOf(record.before.data));
    } else {
        fields.emplace_back(kAbsent);
        fields.emplace_back();
        fields.emplace_back();
    }
    return fields;
}

std::vector<std::string> RecordFields(const ShortcutRecord& record)
{
    std::vector<std::string> fields{"S", record.path};
    if (!record.copyName.empty())
        fields.push_back(record.copyName);
    return fields;
}

ParsedRecord ParseBackupRecord(const std::vector<std::string>& fields)
{
    ParsedRecord parsed;
    if (fields.size() < 2)
        return parsed;
    if (upper(trimmed(fields[0])) == "R") {
        if (fields.size() != kOlderRegistryFields && fields.size() != kRegistryFields) {
            parsed.kind = RecordKind::damaged;
            return parsed;
        }
        RegistryRecord& record = parsed.registry;
        record.mainkeyname = fields[1];
        record.FullKeyPath = fields[2];
        record.KeyValue = fields[3];
        record.KeyName = fields[4];
        record.DefaultOrNot = fields[5];
        parsed.kind = RecordKind::registry;
        if (fields.size() == kRegistryFields && !parseExactValue(fields, record))
            parsed.kind = RecordKind::damaged;
        return parsed;
    }
    if (fields.size() != kOlderShortcutFields && fields.size() != kShortcutFields) {
        parsed.kind = RecordKind::damaged;
        return parsed;
    }
    parsed.kind = RecordKind::shortcut;
    parsed.shortcut.path = fields[1];
    if (fields.size() == kShortcutFields) {
        parsed.shortcut.copyName = fields[2];
        if (parsed.shortcut.copyName.empty())
            parsed.kind = RecordKind::damaged;
    }
    return parsed;
}

BackupWrite WriteBackupRecord(FileSystem& files, SettingsStore& settings, std::string_view backupPath,
                              const RegistryRecord& record, BackupFileState* state)
{
    if (!BackupsSwitchedOn(settings))
        return BackupWrite::switchedOff;
    return appendRecord(files, backupPath, RecordFields(record), state) ? BackupWrite::written : BackupWrite::failed;
}

BackupWrite WriteBackupRecords(FileSystem& files, SettingsStore& settings, std::string_view backupPath,
                               const std::vector<RegistryRecord>& records, BackupFileState* state)
{
    if (!BackupsSwitchedOn(settings))
        return BackupWrite::switchedOff;
    std::string lines;
    for (const auto& record : records) {
        if (!lines.empty())
            lines += "\r\n";
        lines += EncodeBackupFields(RecordFields(record));
    }
    return appendLines(files, backupPath, lines, state) ? BackupWrite::written : BackupWrite::failed;
}

BackupWrite WriteBackupRecord(FileSystem& files, SettingsStore& settings, std::string_view backupPath,
                              const ShortcutEntry& entry, std::string* copyName, BackupFileState* state)
{
    if (!BackupsSwitchedOn(settings))
        return BackupWrite::switchedOff;
    std::string bytes;
    if (!files.readFile(entry.path, &bytes, kMaxShortcutBytes))
        return BackupWrite::failed;
    std::string bareName = withoutBackupWord(FileNameOfPath(entry.path));
    if (bareName.empty())
        bareName = "Shortcut";
    const std::string folder = FolderOfPath(backupPath);
    BackupFileState own;
    BackupFileState& names = state ? *state : own;
    if (!names.copyNamesKnown) {
        readTakenCopyNames(files, folder, names.copyNamesTaken);
        names.copyNamesKnown = true;
    }
    // Two shortcuts of the same name from different folders, or from earlier runs, each keep
    // their own copy; the record says which one is theirs. A name another backup's record holds
    // stays theirs even while no file has it.
    std::string name;
    for (int attempt = 1; attempt <= 10000; ++attempt) {
        std::string candidate = copyNameCandidate(bareName, attempt);
        const std::string key = upper(candidate);
        if (!names.copyNamesTaken.count(key) && key != upper(FileNameOfPath(backupPath)) &&
            !exists(files, folder + "\\" + candidate)) {
            name = std::move(candidate);
            break;
        }
    }
    if (name.empty())
        return BackupWrite::failed;
    names.copyNamesTaken.insert(upper(name));
    const std::string copyPath = folder + "\\" + name;
    if (!files.writeFile(copyPath, bytes, Sync::yes))
        return BackupWrite::failed;
    if (!appendRecord(files, backupPath, RecordFields(ShortcutRecord{entry.path, name}), state)) {
        // Without its record the copy would only be clutter; the shortcut itself stays in place.
        files.DeleteFileA(copyPath);
        return BackupWrite::failed;
    }
    if (copyName)
        *copyName = name;
    return BackupWrite::written;
}

} // namespace tessivar
