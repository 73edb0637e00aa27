#include "repair_fixture.h"
#include "results/backup_encoding.h"
#include "results/backup_format.h"

#include <gtest/gtest.h>

namespace tessivar {
namespace {

using test::kBackupFolder;
using test::kBackupPath;
using test::RepairFixture;

constexpr const char* kK = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\K";
constexpr const char* kYes = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Yes";
constexpr const char* kRunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

std::vector<std::uint8_t> utf16(std::string_view ascii, bool terminated = true)
{
    std::vector<std::uint8_t> out;
    for (const char c : ascii) {
        out.push_back(static_cast<std::uint8_t>(c));
        out.push_back(0);
    }
    if (terminated) {
        out.push_back(0);
        out.push_back(0);
    }
    return out;
}

ProblemEntry entryFor(const std::string& keyPath, const std::string& name, const std::string& path,
                      const std::string& flag = "")
{
    return ProblemEntry{
        hiveHandleText(HKEY_LOCAL_MACHINE), name, path, "Windows Startup", keyPath, "HKEY_LOCAL_MACHINE", flag};
}

// Writes the line as an older version wrote it: the plain fields joined and shifted.
void writeOlderLine(RepairFixture& f, const std::string& plain)
{
    f.files.appendLine(kBackupPath, EncodeBackupLine(plain));
}

TEST(BackupRecord, OlderReaderFindsItsSixFieldsInANewRecord)
{
    const auto record = MakeRegistryRecord(entryFor(kRunKey, "App", "C:\\App\\app.exe"), "HKEY_LOCAL_MACHINE", "App",
                                           RawValue{true, REG_SZ, utf16("x")});
    const std::string plain = DecodeBackupLine(EncodeBackupFields(RecordFields(record)));
    EXPECT_EQ(plain.rfind(std::string("R^HKEY_LOCAL_MACHINE^") + kRunKey + "^C:\\App\\app.exe^App^^", 0), 0u);
}

TEST(BackupRecord, OlderRecordStillEndsWithItsSeparator)
{
    RegistryRecord older;
    older.mainkeyname = "HKEY_LOCAL_MACHINE";
    older.FullKeyPath = "K";
    older.KeyValue = "C:\\a.exe";
    older.KeyName = "v";
    EXPECT_EQ(DecodeBackupLine(EncodeBackupFields(RecordFields(older))), "R^HKEY_LOCAL_MACHINE^K^C:\\a.exe^v^");
}

TEST(BackupRecord, ParserRejectsWhatNoWriterProduces)
{
    const std::vector<std::vector<std::string>> damaged{
        {"R", "HKEY_LOCAL_MACHINE", "K", "p", "v"},                              // cut short
        {"R", "HKEY_LOCAL_MACHINE", "K", "p", "v", "", "v", "1", "4", "410042"}, // size and bytes disagree
        {"R", "HKEY_LOCAL_MACHINE", "K", "p", "v", "", "v", "x", "1", "41"},     // type not a number
        {"R", "HKEY_LOCAL_MACHINE", "K", "p", "v", "", "v", "1", "1", "4g"},     // not hex
        {"R", "HKEY_LOCAL_MACHINE", "K", "p", "v", "", "v", "absent", "1", ""},  // absent with data
        {"S", "C:\\a.lnk", ""},
        {"S", "C:\\a.lnk", "a.lnk", "extra"},
    };
    for (const auto& fields : damaged)
        EXPECT_EQ(ParseBackupRecord(fields).kind, RecordKind::damaged) << DecodeBackupLine(EncodeBackupFields(fields));
    EXPECT_EQ(ParseBackupRecord({""}).kind, RecordKind::nothing);
    EXPECT_EQ(ParseBackupRecord({" r ", "HKEY_USERS", "K", "p", "v", ""}).kind, RecordKind::registry);
}

TEST(BackupWriter, SwitchedOffWritesNothing)
{
    RepairFixture f;
    f.backend.set("chkMakeBackUp", "0");
    f.files.addFile("C:\\a\\x.lnk", "link");
    EXPECT_EQ(WriteBackupRecord(f.files, f.settings, kBackupPath, RegistryRecord{}), BackupWrite::switchedOff);
    EXPECT_EQ(WriteBackupRecord(f.files, f.settings, kBackupPath, ShortcutEntry{"C:\\a\\x.lnk"}),
              BackupWrite::switchedOff);
    EXPECT_EQ(f.files.entries(kBackupFolder).size(), 0u);
}

TEST(BackupWriter, DamagedSwitchKeepsBackupsOn)
{
    RepairFixture f;
    for (const char* text : {"", "abc", "1", "-1", " 1 "}) {
        f.backend.set("chkMakeBackUp", text);
        EXPECT_TRUE(BackupsSwitchedOn(f.settings)) << text;
    }
    f.backend.set("chkMakeBackUp", " 0 ");
    EXPECT_FALSE(BackupsSwitchedOn(f.settings));
}

TEST(BackupWriter, SameNamedShortcutsGetCopiesOfTheirOwn)
{
    RepairFixture f;
    f.files.addFile("C:\\a\\x.lnk", "first");
    f.files.addFile("C:\\b\\x.lnk", "second");
    f.files.addFile(std::string(kBackupFolder) + "\\x (2).lnk", "from an earlier run");
    std::string first;
    std::string second;
    EXPECT_EQ(WriteBackupRecord(f.files, f.settings, kBackupPath, ShortcutEntry{"C:\\a\\x.lnk"}, &first),
              BackupWrite::written);
    EXPECT_EQ(WriteBackupRecord(f.files, f.settings, kBackupPath, ShortcutEntry{"C:\\b\\x.lnk"}, &second),
              BackupWrite::written);
    EXPECT_EQ(first, "x.lnk");
    EXPECT_EQ(second, "x (3).lnk");
    EXPECT_EQ(f.files.content(std::string(kBackupFolder) + "\\x (2).lnk"), "from an earlier run");
    const auto records = f.records();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1], (std::vector<std::string>{"S", "C:\\b\\x.lnk", "x (3).lnk"}));
}

TEST(BackupWriter, HalfWrittenLineIsNotGluedToTheNextRecord)
{
    RepairFixture f;
    const auto record = MakeRegistryRecord(entryFor(kK, "v", "C:\\a.exe"), "HKEY_LOCAL_MACHINE", "v", RawValue{});
    BackupFileState state;
    f.files.budget = 10;
    EXPECT_EQ(WriteBackupRecord(f.files, f.settings, kBackupPath, record, &state), BackupWrite::failed);
    f.files.budget = -1;
    EXPECT_EQ(WriteBackupRecord(f.files, f.settings, kBackupPath, record, &state), BackupWrite::written);
    const auto records = f.records();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(ParseBackupRecord(records[0]).kind, RecordKind::damaged);
    EXPECT_EQ(ParseBackupRecord(records[1]).kind, RecordKind::registry);
}

// A value as some program stored it, saved the moment before it is removed, and put back.
struct StoredValue {
    const char* label;
    std::string name;
    std::uint32_t type;
    std::vector<std::uint8_t> data;
};

class ExactRestore : public ::testing::TestWithParam<StoredValue> {};

TEST_P(ExactRestore, ValueComesBackWithItsTypeAndBytes)
{
    const StoredValue& value = GetParam();
    RepairFixture f;
    const std::string key = std::string(kRunKey) + "\\Sub";
    f.registry.setBinary(HKEY_LOCAL_MACHINE, key, value.name, value.data, value.type);
    const auto before = ReadRawValue(f.registry, HKEY_LOCAL_MACHINE, key, value.name);
    ASSERT_TRUE(before.present);
    const auto record = MakeRegistryRecord(entryFor(key, value.name, "C:\\App\\app.exe", "Yes"), "HKEY_LOCAL_MACHINE",
                                           value.name, before);
    ASSERT_EQ(WriteBackupRecord(f.files, f.settings, kBackupPath, record), BackupWrite::written);
    f.registry.RegDeleteTreeA(HKEY_LOCAL_MACHINE, key);

    const auto outcome = RestoreBackupFile(f.context, kBackupPath);
    EXPECT_TRUE(outcome.complete());
    EXPECT_EQ(f.registry.valueType(HKEY_LOCAL_MACHINE, key, value.name), value.type);
    EXPECT_EQ(f.registry.valueBytes(HKEY_LOCAL_MACHINE, key, value.name), value.data);
}

INSTANTIATE_TEST_SUITE_P(
    Values, ExactRestore,
    ::testing::Values(StoredValue{"StartupWithSwitch", "App", REG_SZ, utf16("\"C:\\App\\app.exe\" /background")},
                      StoredValue{"MultiString", "Paths", REG_MULTI_SZ, utf16(std::string("a\0b\0", 4))},
                      StoredValue{"Expand", "Help", REG_EXPAND_SZ, utf16("%SystemRoot%\\x.hlp")},
                      StoredValue{"DigitsNotADword", "123", REG_SZ, utf16("123")},
                      StoredValue{"Unterminated", "Raw", REG_SZ, utf16("abc", false)},
                      StoredValue{"Binary", "Bin", REG_BINARY, {0x00, 0x0A, 0x0D, 0x5E, 0xFF}},
                      StoredValue{"CaretAndNonAnsiName", "a^\xE6\x97\xA5", REG_DWORD, {1, 0, 0, 0}},
                      StoredValue{"Unnamed", "", REG_SZ, utf16("C:\\gone.exe")}, StoredValue{"Empty", "E", REG_SZ, {}}),
    [](const ::testing::TestParamInfo<StoredValue>& param) { return std::string(param.param.label); });

TEST(BackupReader, ValueChangedTwiceEndsAsBeforeTheFirstChange)
{
    // HKEY_CLASSES_ROOT\CLSID and HKLM\SOFTWARE\Classes\CLSID name one value: the second record
    // holds what the first change left.
    RepairFixture f;
    const std::string key = "SOFTWARE\\Classes\\CLSID\\{1}\\InprocServer32";
    const RawValue original{true, REG_SZ, utf16("C:\\gone.dll")};
    const RawValue emptied{true, REG_SZ, {}};
    auto first = MakeRegistryRecord(entryFor("CLSID\\{1}\\InprocServer32", "(Default)", "C:\\gone.dll"),
                                    "HKEY_CLASSES_ROOT", "", original);
    first.FullKeyPath = "CLSID\\{1}\\InprocServer32";
    const auto second =
        MakeRegistryRecord(entryFor(key, "(Default)", "C:\\gone.dll"), "HKEY_LOCAL_MACHINE", "", emptied);
    ASSERT_EQ(WriteBackupRecord(f.files, f.settings, kBackupPath, first), BackupWrite::written);
    ASSERT_EQ(WriteBackupRecord(f.files, f.settings, kBackupPath, second), BackupWrite::written);
    EXPECT_TRUE(RestoreBackupFile(f.context, kBackupPath).complete());
    EXPECT_EQ(f.registry.valueBytes(HKEY_LOCAL_MACHINE, key, ""), original.data);
}

TEST(BackupReader, AbsentValueRestoresNothing)
{
    RepairFixture f;
    const auto record = MakeRegistryRecord(entryFor(kK, "v", "C:\\a.exe"), "HKEY_LOCAL_MACHINE", "v", RawValue{});
    ASSERT_EQ(WriteBackupRecord(f.files, f.settings, kBackupPath, record), BackupWrite::written);
    EXPECT_TRUE(RestoreBackupFile(f.context, kBackupPath).complete());
    EXPECT_FALSE(f.registry.keyExists(HKEY_LOCAL_MACHINE, kK));
}

TEST(BackupReader, OlderRecordsRestoreAsTheyAlwaysDid)
{
    RepairFixture f;
    f.registry.makeKey(HKEY_LOCAL_MACHINE, kYes);
    writeOlderLine(f, std::string("R^HKEY_LOCAL_MACHINE^") + kYes + "^C:\\WINDOWS\\system32\\foo.dll^name^Yes");
    writeOlderLine(f, std::string("R^HKEY_LOCAL_MACHINE^") + kYes + "^C:\\WINDOWS\\system32\\123^number^ yes ");
    writeOlderLine(f, std::string("R^ hkey_local_machine ^") + kK + "\\Created\\Again^  C:\\a b.exe ^plain^");
    writeOlderLine(f, std::string("R^HKEY_LOCAL_MACHINE^") + kYes + "^C:\\x.exe^(Default)^");
    writeOlderLine(f, std::string("R^HKEY_LOCAL_MACHINE^") + kK + "\\Missing^C:\\WINDOWS\\system32\\foo.dll^name^Yes");
    const auto outcome = RestoreBackupFile(f.context, kBackupPath);
    EXPECT_EQ(outcome.restored, 4);
    EXPECT_EQ(outcome.failed, 1); // a "Yes" record writes into an existing key only

    EXPECT_EQ(f.registry.valueType(HKEY_LOCAL_MACHINE, kYes, "name"), REG_SZ);
    EXPECT_EQ(f.registry.valueBytes(HKEY_LOCAL_MACHINE, kYes, "name"), utf16("foo.dll", false));
    EXPECT_EQ(f.registry.valueType(HKEY_LOCAL_MACHINE, kYes, "number"), REG_DWORD);
    EXPECT_EQ(f.registry.valueBytes(HKEY_LOCAL_MACHINE, kYes, "number"), (std::vector<std::uint8_t>{123, 0, 0, 0}));
    EXPECT_EQ(f.registry.valueBytes(HKEY_LOCAL_MACHINE, std::string(kK) + "\\Created\\Again", "plain"),
              utf16("  C:\\a b.exe "));
    EXPECT_EQ(f.registry.valueBytes(HKEY_LOCAL_MACHINE, kYes, ""), utf16("C:\\x.exe"));
    EXPECT_FALSE(f.registry.keyExists(HKEY_LOCAL_MACHINE, std::string(kK) + "\\Missing"));
}

TEST(BackupReader, HostileRecordsWriteNothingAndKeepTheFile)
{
    RepairFixture f;
    f.files.addFile(std::string(kBackupFolder) + "\\evil.lnk", "copy");
    f.files.addFile(std::string(kBackupFolder) + "\\notes.txt", "copy");
    writeOlderLine(f, "R^HKLM^K^C:\\a.exe^v^"); // a short name no writer uses
    writeOlderLine(f, "R^HKEY_PERFORMANCE_DATA^K^C:\\a.exe^v^");
    writeOlderLine(f, "R^HKEY_LOCAL_MACHINE^\\K^C:\\a.exe^v^");
    f.files.appendLine(kBackupPath, EncodeBackupFields({"S", "C:\\windows\\system.ini", "notes.txt"}));
    f.files.appendLine(kBackupPath, EncodeBackupFields({"S", "C:\\x\\a.lnk", "..\\evil.lnk"}));
    f.files.appendLine(kBackupPath, EncodeBackupFields({"S", "C:\\x\\..\\..\\a.lnk", "evil.lnk"}));
    f.files.appendLine(kBackupPath, EncodeBackupFields({"S", "\\\\server\\share\\a.lnk", "evil.lnk"}));
    writeOlderLine(f, "S^C:\\windows\\win.ini");

    const auto outcome = RestoreBackupFile(f.context, kBackupPath);
    EXPECT_FALSE(outcome.complete());
    EXPECT_EQ(outcome.failed, 8);
    EXPECT_EQ(f.registry.changeCount(), 0u);
    EXPECT_FALSE(f.files.exists("C:\\windows\\system.ini"));
    EXPECT_FALSE(f.files.exists("C:\\a.lnk"));
    EXPECT_TRUE(f.files.exists(std::string(kBackupFolder) + "\\evil.lnk"));
}

TEST(BackupReader, ShortcutComesBackFromItsOwnCopyWhichStaysUntilAllIsBack)
{
    RepairFixture f;
    f.files.addFile("C:\\a\\x.lnk", "first");
    f.files.addFile("C:\\b\\x.lnk", "second");
    ASSERT_EQ(WriteBackupRecord(f.files, f.settings, kBackupPath, ShortcutEntry{"C:\\a\\x.lnk"}), BackupWrite::written);
    ASSERT_EQ(WriteBackupRecord(f.files, f.settings, kBackupPath, ShortcutEntry{"C:\\b\\x.lnk"}), BackupWrite::written);
    f.files.remove("C:\\a\\x.lnk");
    f.files.remove("C:\\b");

    const auto outcome = RestoreBackupFile(f.context, kBackupPath);
    EXPECT_EQ(outcome.restored, 1);
    EXPECT_EQ(outcome.failed, 1); // its folder is gone: the copy stays for a later try
    EXPECT_EQ(f.files.content("C:\\a\\x.lnk"), "first");
    EXPECT_TRUE(f.files.exists(std::string(kBackupFolder) + "\\x.lnk")); // goes with the whole backup
    EXPECT_EQ(f.files.content(std::string(kBackupFolder) + "\\x (2).lnk"), "second");
}

TEST(BackupReader, OlderShortcutRecordUsesTheBareNameAndAMissingCopyIsNotRestored)
{
    RepairFixture f;
    f.files.addFile(std::string(kBackupFolder) + "\\y.lnk", "saved");
    f.files.addFolder("C:\\x");
    writeOlderLine(f, "S^C:\\x\\y.lnk");
    writeOlderLine(f, "S^C:\\x\\gone.lnk");
    const auto outcome = RestoreBackupFile(f.context, kBackupPath);
    EXPECT_FALSE(outcome.complete());
    EXPECT_EQ(outcome.skipped, 1);
    EXPECT_EQ(f.files.content("C:\\x\\y.lnk"), "saved");
}

TEST(BackupReader, RefusesWhenTheRegistryCannotBeWritten)
{
    RepairFixture f;
    f.files.addFile(std::string(kBackupFolder) + "\\y.lnk", "saved");
    f.files.addFolder("C:\\x");
    writeOlderLine(f, "S^C:\\x\\y.lnk");
    f.registry.refuseWrites("Wine is running in this prefix");
    const auto outcome = RestoreBackupFile(f.context, kBackupPath);
    EXPECT_TRUE(outcome.refused);
    EXPECT_EQ(outcome.notes, std::vector<std::string>{"Wine is running in this prefix"});
    EXPECT_FALSE(f.files.exists("C:\\x\\y.lnk"));
}

TEST(BackupReader, FailedSaveCountsEveryRegistryRecordAsNotRestored)
{
    RepairFixture f;
    const auto record = MakeRegistryRecord(entryFor(kK, "v", "C:\\a.exe"), "HKEY_LOCAL_MACHINE", "v",
                                           RawValue{true, REG_SZ, utf16("C:\\a.exe")});
    ASSERT_EQ(WriteBackupRecord(f.files, f.settings, kBackupPath, record), BackupWrite::written);
    f.registry.failSaves("disk full");
    const auto outcome = RestoreBackupFile(f.context, kBackupPath);
    EXPECT_EQ(outcome.restored, 0);
    EXPECT_EQ(outcome.failed, 1);
}

} // namespace
} // namespace tessivar
