#include "settings/setting_keys.h"
#include "settings/settings_store.h"
#include "support/memory_settings.h"

#include <gtest/gtest.h>

namespace tessivar {
namespace {

using test::MemorySettings;

TEST(SettingsStore, MissingKeyGivesEachReaderItsOwnDefaultAsText)
{
    MemorySettings backend;
    SettingsStore store(backend);
    EXPECT_EQ(store.ReadSetting(kTxtWaveFilesPath, kWaveFilesPathDefault), "");
    EXPECT_EQ(store.ReadSetting(kTxtLogFile, "C:\\Program Files\\Tessivar"), "C:\\Program Files\\Tessivar");
    EXPECT_EQ(store.ReadSetting(kChkMakeLogFile, kMakeLogFileDefaultForReport), "0");
    EXPECT_EQ(store.ReadSetting(kChkMakeLogFile, kMakeLogFileDefaultForDialog), "1");
    EXPECT_EQ(store.ReadSetting("Help Files", kSectionCheckedDefault), "True");
    EXPECT_EQ(store.ReadSetting("Help Files", false), "False");
    EXPECT_EQ(store.ReadSetting("x", -7L), "-7");
    EXPECT_EQ(backend.size(), 0u) << "reading never writes";
}

TEST(SettingsStore, StoredTextComesBackExactlyWhateverTheDefault)
{
    MemorySettings backend;
    SettingsStore store(backend);
    store.WriteSetting(kTxtLogFile, "   ");
    store.WriteSetting(kChkMakeBackUp, "0");
    store.WriteSetting("Help Files", "maybe");
    EXPECT_EQ(store.ReadSetting(kTxtLogFile, "C:\\x"), "   ");
    EXPECT_EQ(store.ReadSetting(kChkMakeBackUp, kMakeBackUpDefault), "0");
    EXPECT_EQ(store.ReadSetting("Help Files", true), "maybe");
}

TEST(SettingsStore, BackupFolderKeyIsOneKeyInBothSpellings)
{
    MemorySettings backend;
    SettingsStore store(backend);
    store.WriteSetting(kTxtBackUp, "D:\\Backups");
    EXPECT_EQ(store.ReadSetting(kTxtBackup, ""), "D:\\Backups");
    store.WriteSetting(kTxtBackup, "E:\\Other");
    EXPECT_EQ(store.ReadSetting(kTxtBackUp, ""), "E:\\Other");
    EXPECT_EQ(backend.size(), 1u);
    EXPECT_EQ(backend.values().begin()->first, "txtBackUp") << "the first spelling is kept";
}

TEST(SettingsStore, RefusedWriteIsIgnoredAndReaderKeepsDefault)
{
    MemorySettings backend;
    backend.refuseWrites = true;
    SettingsStore store(backend);
    store.WriteSetting(kChkPlaySound, "1");
    EXPECT_EQ(store.ReadSetting(kChkPlaySound, kPlaySoundDefault), "0");
    ASSERT_EQ(backend.writes.size(), 1u);
    EXPECT_FALSE(backend.writes[0].accepted);
}

TEST(SettingsStore, UnreadableStoreGivesDefaults)
{
    MemorySettings backend;
    backend.set(kChkMakeBackUp, "0");
    backend.failReads = true;
    SettingsStore store(backend);
    EXPECT_EQ(store.ReadSetting(kChkMakeBackUp, kMakeBackUpDefault), "1");
}

TEST(SettingsStore, NothingIsCachedBetweenReads)
{
    MemorySettings backend;
    SettingsStore store(backend);
    SettingsStore other(backend);
    EXPECT_EQ(store.ReadSetting(kChkPlaySound, 0), "0");
    other.WriteSetting(kChkPlaySound, "1");
    EXPECT_EQ(store.ReadSetting(kChkPlaySound, 0), "1");
}

struct NumberCase {
    const char* text;
    std::optional<long long> number;
};

class SettingAsNumberTest : public ::testing::TestWithParam<NumberCase> {};

TEST_P(SettingAsNumberTest, ReadsWholeDecimalNumbersOnly)
{
    EXPECT_EQ(SettingAsNumber(GetParam().text), GetParam().number) << "text: '" << GetParam().text << "'";
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SettingAsNumberTest,
    ::testing::Values(NumberCase{"1", 1}, NumberCase{"0", 0}, NumberCase{"2", 2}, NumberCase{" 1 ", 1},
                      NumberCase{"+1", 1}, NumberCase{"-1", -1}, NumberCase{"007", 7}, NumberCase{"", std::nullopt},
                      NumberCase{"   ", std::nullopt}, NumberCase{"-", std::nullopt}, NumberCase{"+", std::nullopt},
                      NumberCase{"+-1", std::nullopt}, NumberCase{"1x", std::nullopt}, NumberCase{"1.5", std::nullopt},
                      NumberCase{"one", std::nullopt}, NumberCase{"99999999999999999999", std::nullopt}));

struct BooleanCase {
    const char* text;
    std::optional<bool> value;
};

class SettingAsBooleanTest : public ::testing::TestWithParam<BooleanCase> {};

TEST_P(SettingAsBooleanTest, ReadsTrueFalseInAnyCaseAndNumbers)
{
    EXPECT_EQ(SettingAsBoolean(GetParam().text), GetParam().value) << "text: '" << GetParam().text << "'";
}

INSTANTIATE_TEST_SUITE_P(Texts, SettingAsBooleanTest,
                         ::testing::Values(BooleanCase{"True", true}, BooleanCase{"False", false},
                                           BooleanCase{"TRUE", true}, BooleanCase{"false", false},
                                           BooleanCase{" True ", true}, BooleanCase{"1", true}, BooleanCase{"-1", true},
                                           BooleanCase{"2", true}, BooleanCase{"0", false},
                                           BooleanCase{"maybe", std::nullopt}, BooleanCase{"", std::nullopt},
                                           BooleanCase{"yes", std::nullopt}, BooleanCase{"Truex", std::nullopt}));

TEST(SettingsStore, HandEditedNumberFallsBackToTheReadersDefault)
{
    MemorySettings backend;
    SettingsStore store(backend);
    backend.set(kChkMakeBackUp, "yes please");
    EXPECT_EQ(ReadNumberSetting(store, kChkMakeBackUp, kMakeBackUpDefault), 1);
    backend.set(kChkPlaySound, "2");
    EXPECT_EQ(ReadNumberSetting(store, kChkPlaySound, kPlaySoundDefault), 2);
    EXPECT_EQ(ReadNumberSetting(store, kChkDoNotShowInFuture, kDoNotShowInFutureDefault), 0);
}

} // namespace
} // namespace tessivar
