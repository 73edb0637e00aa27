// A repair killed at any moment: whatever it had deleted by then has its record and its copy on
// disk. The repair runs in a forked child over a prefix on disk and is killed with SIGKILL after a
// varying delay.

#include "platform/wine/wine_file_system.h"
#include "platform/wine/wine_registry.h"
#include "repair_fixture.h"
#include "results/backup_encoding.h"
#include "results/backup_format.h"
#include "results/repair.h"
#include "support/temp_prefix.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <signal.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace tessivar {
namespace {

namespace fs = std::filesystem;

constexpr int kShortcuts = 24;
constexpr int kValues = 16;

std::string valueKey(int i)
{
    return "Software\\Tessivar Test\\K" + std::to_string(i);
}

std::vector<std::uint8_t> valueBytes(int i)
{
    std::vector<std::uint8_t> bytes;
    for (const char c : "\"C:\\Gone\\app" + std::to_string(i) + ".exe\" /x")
        bytes.insert(bytes.end(), {static_cast<std::uint8_t>(c), 0});
    bytes.insert(bytes.end(), {0, 0});
    return bytes;
}

void storeValues(const fs::path& prefix)
{
    wine::WineRegistry registry(prefix);
    RegistryBatch batch(registry);
    for (int i = 0; i < kValues; ++i) {
        HKEY key = 0;
        std::uint32_t disposition = 0;
        registry.RegCreateKeyExA(HKEY_LOCAL_MACHINE, valueKey(i), 0, nullptr, 0, KEY_ALL_ACCESS, &key, &disposition);
        registry.setRawValue(key, "v", REG_SZ, valueBytes(i));
        registry.RegCloseKey(key);
    }
    ASSERT_TRUE(batch.commit(nullptr));
}

std::string readAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

// Each yield takes a little while, so that the kill lands at a different step each time.
class SlowHost final : public test::FakeHost {
  public:
    void yield() override { std::this_thread::sleep_for(std::chrono::microseconds(300)); }
};

[[noreturn]] void repairInChild(const fs::path& prefix, int ready)
{
    wine::WineFileSystemOptions options;
    options.wineFontFolder = fs::path();
    wine::WineFileSystem files(prefix, options);
    wine::WineRegistry registry(prefix);
    test::FixedClock clock;
    SlowHost host;
    test::MemorySettings backend;
    backend.set("txtBackup", "C:\\backup");
    SettingsStore settings(backend);
    ScanModel model;
    for (int i = 0; i < kValues; ++i) {
        model.lvwErrors.append(ProblemEntry{hiveHandleText(HKEY_LOCAL_MACHINE), "v",
                                            "C:\\Gone\\app" + std::to_string(i) + ".exe", "Windows Startup",
                                            valueKey(i), "HKEY_LOCAL_MACHINE", ""});
    }
    model.lvwRegistryProblems.rows.append("Invalid Windows Startup Entries ( 16 Problem(s) )");
    for (int i = 0; i < kShortcuts; ++i) {
        const std::string path = "C:\\links\\" + std::to_string(i % 4) + "\\l" + std::to_string(i / 4) + ".lnk";
        model.lvwShortcut.append(ShortcutEntry{path, files.fileIdentity(path)});
    }
    ScanContext context{registry, files, settings, clock, host, model};
    const char go = 1;
    if (write(ready, &go, 1) != 1)
        _exit(1);
    RepairAll(context, RepairOptions{[](const std::string&) { return true; }});
    _exit(0);
}

TEST(RepairKilled, EveryDeletedShortcutHasItsRecordAndCopy)
{
    std::mt19937 random(20261209);
    // Round 0 runs to the end and measures how long a whole repair takes; later rounds are
    // killed somewhere within that time.
    std::chrono::microseconds whole{0};
    int killedMidRepair = 0; // rounds killed with some but not all of the problems repaired
    // At least 13 rounds, and more until one kill has landed in the middle of a repair.
    for (int round = 0; round < 13 || (killedMidRepair == 0 && round < 100); ++round) {
        test::TempPrefix prefix;
        prefix.makeFolder("drive_c/backup");
        storeValues(prefix.path());
        std::map<std::string, std::string> original;
        for (int i = 0; i < kShortcuts; ++i) {
            const std::string folder = std::to_string(i % 4);
            const std::string name = "l" + std::to_string(i / 4) + ".lnk";
            const std::string bytes = "shortcut " + std::to_string(i) + std::string(i * 10, '\x7f');
            prefix.write("drive_c/links/" + folder + "/" + name, bytes);
            original["C:\\links\\" + folder + "\\" + name] = bytes;
        }

        int pipeEnds[2];
        ASSERT_EQ(pipe(pipeEnds), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(pipeEnds[0]);
            repairInChild(prefix.path(), pipeEnds[1]);
        }
        close(pipeEnds[1]);
        char go = 0;
        ASSERT_EQ(read(pipeEnds[0], &go, 1), 1);
        close(pipeEnds[0]);
        const auto started = std::chrono::steady_clock::now();
        if (round > 0) {
            const auto limit = static_cast<int>(whole.count());
            std::this_thread::sleep_for(
                std::chrono::microseconds(std::uniform_int_distribution<int>(0, limit)(random)));
            kill(child, SIGKILL);
        }
        int status = 0;
        waitpid(child, &status, 0);
        if (round == 0)
            whole = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - started);

        // What the backup file holds: shortcut path -> copy name, key path -> value before.
        std::map<std::string, std::string> saved;
        std::map<std::string, RawValue> savedValues;
        const fs::path backupFolder = prefix.driveC() / "backup";
        for (const auto& file : fs::directory_iterator(backupFolder)) {
            if (file.path().filename().string().rfind("BackUp ", 0) != 0)
                continue;
            std::istringstream lines(readAll(file.path()));
            std::string line;
            while (std::getline(lines, line)) {
                if (!line.empty() && line.back() == '\r')
                    line.pop_back();
                const auto parsed = ParseBackupRecord(DecodeBackupFields(line));
                if (parsed.kind == RecordKind::shortcut)
                    saved[parsed.shortcut.path] = parsed.shortcut.copyName;
                if (parsed.kind == RecordKind::registry && parsed.registry.exact)
                    savedValues[parsed.registry.FullKeyPath] = parsed.registry.before;
            }
        }
        int deleted = 0;
        for (const auto& [path, bytes] : original) {
            const std::string folder = path.substr(std::string("C:\\links\\").size(), 1);
            const fs::path onDisk = prefix.driveC() / "links" / folder / FileNameOfPath(path);
            if (fs::exists(onDisk)) {
                EXPECT_EQ(readAll(onDisk), bytes);
                continue;
            }
            ++deleted;
            ASSERT_TRUE(saved.count(path)) << "round " << round << ": " << path << " deleted without a record";
            EXPECT_EQ(readAll(backupFolder / saved[path]), bytes) << "round " << round << ": " << path;
        }
        wine::WineRegistry after(prefix.path());
        for (int i = 0; i < kValues; ++i) {
            if (ReadRawValue(after, HKEY_LOCAL_MACHINE, valueKey(i), "v").present)
                continue;
            ++deleted;
            ASSERT_TRUE(savedValues.count(valueKey(i)))
                << "round " << round << ": value " << i << " removed without a record";
            EXPECT_EQ(savedValues[valueKey(i)], (RawValue{true, REG_SZ, valueBytes(i)}));
        }
        RecordProperty("deleted_in_round_" + std::to_string(round), deleted);
        killedMidRepair += WIFSIGNALED(status) && deleted > 0 && deleted < kShortcuts + kValues ? 1 : 0;
    }
    EXPECT_GE(killedMidRepair, 1) << "no kill landed in the middle of a repair";
}

} // namespace
} // namespace tessivar
