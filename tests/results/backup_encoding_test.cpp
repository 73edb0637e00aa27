#include "results/backup_encoding.h"
#include "results/backup_format.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace tessivar {
namespace {

std::string bytes(std::initializer_list<int> values)
{
    std::string out;
    for (const int v : values)
        out += static_cast<char>(v);
    return out;
}

TEST(BackupEncoding, ShortcutRecordIsStoredExactlyAsOlderFilesStoreIt)
{
    EXPECT_EQ(EncodeBackupLine("S^C:\\a.lnk"), bytes({0x5D, 0x68, 0x4D, 0x44, 0x66, 0x6B, 0x38, 0x76, 0x78, 0x75}));
    EXPECT_EQ(DecodeBackupLine(bytes({0x5D, 0x68, 0x4D, 0x44, 0x66, 0x6B, 0x38, 0x76, 0x78, 0x75})), "S^C:\\a.lnk");
}

TEST(BackupEncoding, Windows1252TextIsShiftedLikeAnyAnsiByte)
{
    // "é" is E9 in the code page, "€" is 80: both shifted by ten, not escaped.
    EXPECT_EQ(EncodeBackupLine("\xC3\xA9"), bytes({0xF3}));
    EXPECT_EQ(EncodeBackupLine("\xE2\x82\xAC"), bytes({0x8A}));
    EXPECT_EQ(DecodeBackupLine(bytes({0xF3, 0x8A})), "\xC3\xA9\xE2\x82\xAC");
}

TEST(BackupEncoding, EveryStoredByteIsOutsideTheEscapesOrALineEnd)
{
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    const std::string stored = EncodeBackupFields({all, "^", "\r\n"});
    EXPECT_EQ(stored.find('\r'), std::string::npos);
    EXPECT_EQ(stored.find('\n'), std::string::npos);
    EXPECT_EQ(stored.find('\0'), std::string::npos);
}

TEST(BackupEncoding, EachByteValueAloneComesBackUnchanged)
{
    for (int b = 0; b < 256; ++b) {
        const std::string field(1, static_cast<char>(b));
        const auto fields = DecodeBackupFields(EncodeBackupFields({"R", field, "x"}));
        ASSERT_EQ(fields.size(), 3u) << "byte " << b;
        EXPECT_EQ(fields[1], field) << "byte " << b;
    }
}

class FieldRoundTrip : public ::testing::TestWithParam<std::string> {};

TEST_P(FieldRoundTrip, FieldComesBackUnchanged)
{
    const std::vector<std::string> fields{"R", GetParam(), "", GetParam() + GetParam()};
    EXPECT_EQ(DecodeBackupFields(EncodeBackupFields(fields)), fields);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, FieldRoundTrip,
    ::testing::Values(std::string("a^b"), std::string("^"), std::string("^^"), std::string("line\r\nnext"),
                      std::string("C:\\Program Files\\App\\app.exe"), std::string("\xC3\xA9t\xC3\xA9"),
                      std::string("\xE6\x97\xA5\xE6\x9C\xAC"), std::string("\xF0\x9F\x98\x80"),
                      std::string("\xED\xA0\xBD"),     // a lone surrogate as a registry name may hold it
                      std::string("\xC1\x81"),         // an overlong "A" must not come back as "A"
                      std::string("\xC2\x81\xC2\x80"), // C1 controls, one in the code page, one not
                      std::string("\x01"
                                  "05E\x02"
                                  "41"), // text that looks like an escape
                      std::string("\xFF\xFE\x00\x03", 4), std::string("tail\xE2\x82")));

TEST(BackupEncoding, AllByteValuesTogetherRoundTrip)
{
    std::string all;
    for (int round = 0; round < 2; ++round) {
        for (int b = 0; b < 256; ++b)
            all += static_cast<char>(round == 0 ? b : 255 - b);
    }
    EXPECT_EQ(DecodeBackupFields(EncodeBackupFields({all}))[0], all);
}

TEST(BackupEncoding, LiteralCaretIsNoSeparatorButOlderReaderSeesACaret)
{
    const std::string stored = EncodeBackupFields({"R", "a^b"});
    EXPECT_EQ(DecodeBackupFields(stored).size(), 2u);
    EXPECT_EQ(DecodeBackupLine(stored), "R^a^b");
}

TEST(BackupEncoding, DamagedEscapesDecodeWithoutFailing)
{
    EXPECT_EQ(DecodeBackupFields(bytes({0x01})).size(), 1u);
    EXPECT_EQ(DecodeBackupFields(bytes({0x01, 'Z', 'Z'})).size(), 1u);
    EXPECT_EQ(DecodeBackupFields(bytes({0x02, '4'})).size(), 1u);
}

TEST(BackupNames, FileNameOfPath)
{
    EXPECT_EQ(FileNameOfPath("C:\\x\\y.lnk"), "y.lnk");
    EXPECT_EQ(FileNameOfPath("y.lnk"), "");
    EXPECT_EQ(FileNameOfPath("C:\\x\\"), "");
    EXPECT_EQ(FileNameOfPath("   "), "");
}

TEST(BackupNames, FileNameIsTheRunsStartTime)
{
    EXPECT_EQ(BackupFileName(LocalDateTime{2025, 12, 8, 14, 3, 59}), "BackUp 08-12-25 14-03-59");
    EXPECT_EQ(BackupFileName(LocalDateTime{2000, 1, 31, 0, 0, 0}), "BackUp 31-01-00 00-00-00");
}

} // namespace
} // namespace tessivar
