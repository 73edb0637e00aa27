#pragma once

// Backup files: where they live, what they are called, the records they hold, the writer repair
// uses and the reader restore uses.
//
// A registry record keeps the six fields an older Tessivar wrote (kind, hive name, key path, the
// missing file's path, value name, "Yes" flag) and adds the value exactly as the registry held it
// the moment before repair changed it: its real name, its type and its raw bytes, or "absent". A
// shortcut record adds the name of its own copy in the backup folder. Records with only the older
// fields are still read and restored the old way; the older reader still finds its fields where it
// expects them in new records.

#include "engine/problem_list.h"
#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/registry.h"
#include "settings/backup_folder.h"

#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace tessivar {

class SettingsStore;
struct ScanContext;

// "chkMakeBackUp" (default 1): backups are off only when it reads as the number 0.
bool BackupsSwitchedOn(SettingsStore& settings);

// The text after the last "\"; "" when the trimmed path is empty or holds no "\".
std::string FileNameOfPath(std::string_view path);
// Everything before the last "\"; "" when there is none.
std::string FolderOfPath(std::string_view path);
// "BackUp dd-mm-yy hh-mm-ss" for the repair's start.
std::string BackupFileName(const LocalDateTime& start);
// The backup folder, "\", and the file name: the run's `CurrentBackupPath`.
std::string CurrentBackupPath(SettingsStore& settings, FileSystem& files, const LocalDateTime& start);

// A value as stored: absent, or its type and exact bytes.
struct RawValue {
    bool present = false;
    std::uint32_t type = REG_NONE;
    std::vector<std::uint8_t> data;
    bool operator==(const RawValue&) const = default;
};
// The value now; absent when the key cannot be opened or the value does not exist.
RawValue ReadRawValue(Registry& registry, HKEY hive, std::string_view keyPath, std::string_view valueName);

struct RegistryRecord {
    std::string mainkeyname;
    std::string FullKeyPath;
    std::string KeyValue;
    std::string KeyName;
    std::string DefaultOrNot;
    // false for a record that has only the six older fields; the rest is then unused.
    bool exact = false;
    std::string valueName; // the name actually changed, "" for the unnamed value
    RawValue before;
};

struct ShortcutRecord {
    std::string path;
    std::string copyName; // "" in older records: the copy is found under FileNameOfPath(path)
};

// The record for an entry about to be changed, with the value `before` as it is now.
RegistryRecord MakeRegistryRecord(const ProblemEntry& entry, std::string_view hiveName, std::string_view valueName,
                                  RawValue before);

std::vector<std::string> RecordFields(const RegistryRecord& record);
std::vector<std::string> RecordFields(const ShortcutRecord& record);

enum class RecordKind {
    registry,
    shortcut,
    nothing, // an empty line, or too few fields to act on
    damaged, // a field count or an added field that no writer produces: restores nothing
};

struct ParsedRecord {
    RecordKind kind = RecordKind::nothing;
    RegistryRecord registry;
    ShortcutRecord shortcut;
};

// Reads one decoded line. As before, "R" (trimmed, any case) is a registry record and every other
// kind is taken as a shortcut record.
ParsedRecord ParseBackupRecord(const std::vector<std::string>& fields);

enum class BackupWrite {
    written,     // the record (and the shortcut's copy) are on disk
    switchedOff, // "chkMakeBackUp" is 0: nothing written
    failed,      // nothing usable written; the entry must not be changed
};

// What the writer remembers between the records of one run: a write that failed half-way may
// have left a line without its end, and the next record must not be glued onto it.
struct BackupFileState {
    bool mayEndMidLine = false;
    // The copy names the backups of the folder already use (upper case), read at the run's first
    // shortcut, and those this run took since.
    bool copyNamesKnown = false;
    std::set<std::string> copyNamesTaken;
};

// Appends the record and flushes it to disk before returning.
BackupWrite WriteBackupRecord(FileSystem& files, SettingsStore& settings, std::string_view backupPath,
                              const RegistryRecord& record, BackupFileState* state = nullptr);
// Appends several records with one write and one flush: all of them are on disk on return, or
// the call failed (and any of them may be).
BackupWrite WriteBackupRecords(FileSystem& files, SettingsStore& settings, std::string_view backupPath,
                               const std::vector<RegistryRecord>& records, BackupFileState* state = nullptr);
// Copies the shortcut file into the backup file's folder under a name no other file there has,
// flushed, then appends a record naming that copy. `copyName` receives the copy's name.
BackupWrite WriteBackupRecord(FileSystem& files, SettingsStore& settings, std::string_view backupPath,
                              const ShortcutEntry& entry, std::string* copyName = nullptr,
                              BackupFileState* state = nullptr);

// What a restore did, record by record.
struct RestoreOutcome {
    bool refused = false;           // nothing was changed; `notes` says why
    int restored = 0;               // records put back (an "absent" record counts: nothing to put back)
    int skipped = 0;                // shortcut records whose copy is no longer there: not put back
    int failed = 0;                 // records that could not be put back, damaged or refused ones included
    std::vector<std::string> notes; // one line per failure, for the user
    bool complete() const { return !refused && failed == 0 && skipped == 0; }
};

// Undoes every record of the file in file order, inside one registry batch. The file itself is
// left in place: the caller deletes it when the outcome is complete.
RestoreOutcome RestoreBackupFile(ScanContext& context, std::string_view backupPath);

enum class ShortcutRestore { restored, noCopy, refused, failed };
// Puts the saved copy back at the recorded path and deletes the copy once it is back (see
// PutShortcutCopyBack for what is refused).
ShortcutRestore RestoreShortcutCopy(FileSystem& files, std::string_view backupFolder, const ShortcutRecord& record,
                                    std::string* why = nullptr);
// Puts the saved copy back and leaves the copy in place. Refuses a path that is not a drive path
// ending in ".lnk" or ".url", a target or copy that is a symbolic link, a copy name that is not a
// plain name in the backup folder, one that holds "BackUp" or is `backupName` (no repair names a
// copy so), and a place where a file other than the copy now stands: that file is kept. A file
// equal to the copy at the place counts as restored (an earlier restore put it back).
ShortcutRestore PutShortcutCopyBack(FileSystem& files, std::string_view backupFolder, std::string_view backupName,
                                    const ShortcutRecord& record, std::string* why = nullptr);
// The copy's name in the backup folder: the record's own, or for older records the shortcut's.
std::string CopyNameOf(const ShortcutRecord& record);

// Larger backup files are not read: no repair writes one that size.
inline constexpr std::int64_t kMaxBackupFileBytes = std::int64_t{256} << 20;
// Larger shortcut files are not copied.
inline constexpr std::size_t kMaxShortcutBytes = std::size_t{16} << 20;

} // namespace tessivar
