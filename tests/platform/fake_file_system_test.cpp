#include "support/fake_file_system.h"

#include <gtest/gtest.h>

namespace tessivar::test {
namespace {

TEST(FakeFileSystem, WildcardsMatchAsADirectorySearch)
{
    struct Row {
        const char* mask;
        const char* name;
        bool match;
    };
    const Row rows[] = {
        {"*", "a.txt", true},
        {"*.*", "noext", true},
        {"*.TXT", "a.txt", true},
        {"a?c", "abc", true},
        {"a?c", "ac", false},
        {"*b*", "abc", true},
        {"a*c", "abcx", false},
        {"", "a", false},
        {"x*y*z", "xaybz", true},
        {"readme.*", "readme", true},
        {"readme.*", "readme.txt", true},
        {"*.txt", "txt", false},
        {"*", ".", true},
        {"?", ".", false},
        {"..", "..", true},
    };
    for (const Row& row : rows)
        EXPECT_EQ(FakeFileSystem::wildcardMatch(row.mask, row.name), row.match) << row.mask << " " << row.name;
}

TEST(FakeFileSystem, SearchAdmitsHiddenSystemAndFoldersOnlyByMask)
{
    FakeFileSystem files;
    files.addFile("C:\\d\\plain.dll");
    files.addFile("C:\\d\\hidden.dll", "", FILE_ATTRIBUTE_HIDDEN);
    files.addFile("C:\\d\\system.dll", "", FILE_ATTRIBUTE_SYSTEM);
    files.addFolder("C:\\d\\sub.dll");

    EXPECT_EQ(files.searchPath("c:\\D\\PLAIN.DLL", 0), SearchOutcome::found);
    EXPECT_EQ(files.searchPath("C:\\d\\hidden.dll", 0), SearchOutcome::notFound);
    EXPECT_EQ(files.searchPath("C:\\d\\hidden.dll", FILE_ATTRIBUTE_HIDDEN), SearchOutcome::found);
    EXPECT_EQ(files.searchPath("C:\\d\\system.dll", FILE_ATTRIBUTE_HIDDEN), SearchOutcome::notFound);
    EXPECT_EQ(files.searchPath("C:\\d\\system.dll", FILE_ATTRIBUTE_SYSTEM), SearchOutcome::found);
    EXPECT_EQ(files.searchPath("C:\\d\\sub.dll", 0), SearchOutcome::notFound);
    EXPECT_EQ(files.searchPath("C:\\d\\sub.dll", FILE_ATTRIBUTE_DIRECTORY), SearchOutcome::found);
    EXPECT_EQ(files.searchPath("C:\\d\\p*.dll", 0), SearchOutcome::found);
    EXPECT_EQ(files.searchPath("C:\\missing\\plain.dll", 0), SearchOutcome::notFound);
}

TEST(FakeFileSystem, UnmappablePathsAndInjectedFailuresFail)
{
    FakeFileSystem files;
    files.addDrive('E', DriveType::cdrom, false);
    files.addFile("C:\\bad\\x.exe");
    files.makeSearchFail("C:\\bad");
    for (const char* path : {"\\\\server\\share\\x.exe", "x.exe", "C:x.exe", "Q:\\x.exe", "E:\\x.exe", "C:\\a<b\\x.exe",
                             "C:\\a*\\x.exe", "C:\\bad\\x.exe", "C:\\BAD\\deeper\\y.exe"})
        EXPECT_EQ(files.searchPath(path, 0), SearchOutcome::failed) << path;
    EXPECT_EQ(files.FindFirstFileA("C:\\bad\\*", nullptr), INVALID_FIND_HANDLE);
    EXPECT_EQ(files.GetFileAttributesA("C:\\bad\\x.exe"), INVALID_FILE_ATTRIBUTES);
}

TEST(FakeFileSystem, ListingsStartWithDotsExceptAtARootAndCountHandles)
{
    FakeFileSystem files;
    files.addFile("C:\\d\\b.txt");
    files.addFile("C:\\d\\A.txt");

    FindData data;
    FindHandle handle = files.FindFirstFileA("C:\\d\\*", &data);
    ASSERT_NE(handle, INVALID_FIND_HANDLE);
    std::vector<std::string> names{data.fileName};
    while (files.FindNextFileA(handle, &data))
        names.push_back(data.fileName);
    EXPECT_EQ(files.openFindHandles(), 1);
    EXPECT_TRUE(files.FindClose(handle));
    EXPECT_EQ(files.openFindHandles(), 0);
    EXPECT_EQ(names, (std::vector<std::string>{".", "..", "A.txt", "b.txt"}));

    handle = files.FindFirstFileA("C:\\*", &data);
    ASSERT_NE(handle, INVALID_FIND_HANDLE);
    EXPECT_NE(data.fileName, ".");
    files.FindClose(handle);
}

TEST(FakeFileSystem, WritesKeepWindowsRules)
{
    FakeFileSystem files;
    EXPECT_TRUE(files.appendLine("C:\\log.txt", "one"));
    EXPECT_TRUE(files.appendLine("C:\\LOG.TXT", "two"));
    EXPECT_EQ(files.content("c:\\log.txt"), "one\r\ntwo\r\n");
    std::vector<std::string> lines;
    ASSERT_TRUE(files.writeFile("C:\\mixed.txt", "a\r\nb\nc\rd"));
    ASSERT_TRUE(files.readLines("C:\\mixed.txt", &lines));
    EXPECT_EQ(lines, (std::vector<std::string>{"a", "b", "c", "d"}));

    EXPECT_FALSE(files.appendLine("C:\\nofolder\\log.txt", "x"));
    EXPECT_TRUE(files.CopyFileA("C:\\log.txt", "C:\\copy.txt", true));
    EXPECT_FALSE(files.CopyFileA("C:\\log.txt", "C:\\copy.txt", true));
    files.setAttributes("C:\\copy.txt", FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(files.DeleteFileA("C:\\copy.txt"));
    EXPECT_FALSE(files.DeleteFileA("C:\\windows"));

    files.makeWriteFail("C:\\full");
    files.addFolder("C:\\full");
    EXPECT_FALSE(files.writeFile("C:\\full\\x", "y"));
    EXPECT_FALSE(files.exists("C:\\full\\x"));
    std::string bytes;
    EXPECT_FALSE(files.readFile("C:\\log.txt", &bytes, 3));
}

} // namespace
} // namespace tessivar::test
