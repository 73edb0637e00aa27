#pragma once

// What the repair, restore and backup tests stand on: the in-memory registry and file system, a
// fixed clock, a scripted host and in-memory settings, bundled into one ScanContext.

#include <cstdint>
#include <string>
#include <vector>

#include "engine/scan_context.h"
#include "results/backup_encoding.h"
#include "results/repair.h"
#include "settings/settings_store.h"
#include "support/fake_file_system.h"
#include "support/fake_host.h"
#include "support/fake_registry.h"
#include "support/memory_settings.h"
#include "support/null_platform.h"

namespace tessivar::test {

inline constexpr const char* kBackupFolder = "C:\\Program Files\\Tessivar";
inline constexpr const char* kBackupPath = "C:\\Program Files\\Tessivar\\BackUp 09-03-24 14-05-07";

// A file system whose disk fills up: once `budget` bytes were written, a write stores only what
// still fits and fails, as a full disk does.
class FillingFileSystem : public FakeFileSystem {
public:
    std::int64_t budget = -1; // -1: no limit

    bool appendLine(std::string_view path, std::string_view line, Sync sync = Sync::no) override
    {
        const std::string whole = std::string(line) + "\r\n";
        if (fits(whole.size()))
            return FakeFileSystem::appendLine(path, line, sync);
        const auto part = static_cast<std::size_t>(budget);
        budget = 0;
        std::string before;
        readFile(path, &before, std::size_t{1} << 30);
        FakeFileSystem::writeFile(path, before + whole.substr(0, part), sync);
        return false;
    }
    bool writeFile(std::string_view path, std::string_view bytes, Sync sync = Sync::no) override
    {
        if (!fits(bytes.size())) {
            budget = 0;
            return false; // written beside and renamed: nothing of it is left
        }
        return FakeFileSystem::writeFile(path, bytes, sync);
    }

private:
    bool fits(std::size_t size)
    {
        if (budget < 0)
            return true;
        if (static_cast<std::int64_t>(size) > budget)
            return false;
        budget -= static_cast<std::int64_t>(size);
        return true;
    }
};

struct RepairFixture {
    FillingFileSystem files;
    FakeRegistry registry;
    FixedClock clock;
    FakeHost host;
    MemorySettings backend;
    SettingsStore settings{backend};
    ScanModel model;
    ScanContext context{registry, files, settings, clock, host, model};
    // The shortcuts of these tests are made-up bytes: taken as broken without reading them.
    RepairOptions options{[](const std::string&) { return true; }};

    RepairFixture() { host.defaultAnswer = "YES"; }
    RepairFixture(const RepairFixture&) = delete;
    RepairFixture& operator=(const RepairFixture&) = delete;

    // A problem-list row as a check records it, and one summary row so that the registry phase runs.
    void addProblem(HKEY hive, const std::string& keyPath, const std::string& valueName, const std::string& missingPath,
                    const std::string& defaultOrNot = "")
    {
        ProblemEntry entry;
        entry.MainKey = hiveHandleText(hive);
        entry.KeyName = valueName.empty() ? "(Default)" : valueName;
        entry.KeyValue = missingPath;
        entry.RegistryScanners = "Application Paths";
        entry.FullKeyPath = keyPath;
        entry.mainkeyname = std::string(predefinedKeyName(hive));
        entry.DefaultOrNot = defaultOrNot;
        model.lvwErrors.append(entry);
        if (model.lvwRegistryProblems.rows.empty())
            model.lvwRegistryProblems.rows.append("Invalid Software Locations ( 1 Problem(s) )");
    }

    void addShortcut(const std::string& path, const std::string& bytes)
    {
        files.addFile(path, bytes);
        model.lvwShortcut.append(ShortcutEntry{path});
    }

    // The backup file's records, decoded.
    std::vector<std::vector<std::string>> records(const std::string& path = kBackupPath)
    {
        std::vector<std::string> lines;
        std::vector<std::vector<std::string>> out;
        if (!files.readLines(path, &lines))
            return out;
        for (const auto& line : lines)
            out.push_back(DecodeBackupFields(line));
        return out;
    }
};

} // namespace tessivar::test
