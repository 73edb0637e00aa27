#include "platform/wine/drives.h"
#include "platform/wine/wine_file_system.h"
#include "support/temp_prefix.h"

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace tessivar::wine {
namespace {

using test::TempPrefix;

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const std::string& value) : m_name(name)
    {
        if (const char* old = std::getenv(name))
            m_old = old;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv()
    {
        if (m_old)
            setenv(m_name, m_old->c_str(), 1);
        else
            unsetenv(m_name);
    }

  private:
    const char* m_name;
    std::optional<std::string> m_old;
};

TEST(WineDrives, LettersInOrderWithTheTypesWineGivesThem)
{
    TempPrefix prefix;
    const std::string there = prefix.outside().string();
    for (const char* name : {"a:", "d:", "e:", "f:", "g:", "h:", "j:", "m:"})
        prefix.link(name, there);
    prefix.link("k:", "/nonexistent-tessivar-drive");
    prefix.link("L:", there);        // upper case: not a drive for Wine
    prefix.link("c::", "/dev/null"); // the raw device behind c:
    prefix.link("com1", "/dev/ttyS0");
    const std::map<char, std::string> settings{{'d', "cdrom"}, {'e', "Network"}, {'f', "floppy"}, {'g', "RAMDISK"},
                                               {'h', "hd"},    {'j', "bogus"},   {'k', "hd"}};
    WineFileSystem files(prefix.path(), WineFileSystemOptions{[&](char letter) {
                                                                  const auto it = settings.find(letter);
                                                                  return it == settings.end() ? "" : it->second;
                                                              },
                                                              {},
                                                              {}});
    std::string letters;
    std::map<char, DriveInfo> byLetter;
    for (const auto& drive : files.drives()) {
        letters += drive.letter;
        byLetter[drive.letter] = drive;
    }
    EXPECT_EQ(letters, "ACDEFGHJKMZ");
    EXPECT_EQ(byLetter['A'].type, DriveType::removable);
    EXPECT_EQ(byLetter['C'].type, DriveType::fixed);
    EXPECT_EQ(byLetter['D'].type, DriveType::cdrom);
    EXPECT_EQ(byLetter['E'].type, DriveType::network);
    EXPECT_EQ(byLetter['F'].type, DriveType::removable);
    EXPECT_EQ(byLetter['G'].type, DriveType::ramDisk);
    EXPECT_EQ(byLetter['H'].type, DriveType::fixed);
    EXPECT_EQ(byLetter['J'].type, DriveType::fixed);
    EXPECT_EQ(byLetter['M'].type, DriveType::fixed);
    EXPECT_EQ(byLetter['Z'].type, DriveType::fixed);
    EXPECT_TRUE(byLetter['C'].hasRoot);
    EXPECT_FALSE(byLetter['K'].hasRoot);
    EXPECT_EQ(byLetter['K'].type, DriveType::unknown);
}

TEST(WineDrives, VolumeInformationOfADriveRoot)
{
    TempPrefix prefix;
    WineFileSystem files(prefix.path());
    std::string label = "x";
    std::string fileSystem;
    std::uint32_t serial = 0;
    ASSERT_TRUE(files.GetVolumeInformationA("C:\\", &label, &serial, &fileSystem));
    EXPECT_EQ(label, "");
    EXPECT_EQ(serial, 0x43000000u);
    EXPECT_EQ(fileSystem, "NTFS");
    prefix.write("drive_c/.windows-label", "My Disk\n");
    prefix.write("drive_c/.windows-serial", "1234abcd\n");
    ASSERT_TRUE(files.GetVolumeInformationA("c:\\", &label, &serial, nullptr));
    EXPECT_EQ(label, "My Disk");
    EXPECT_EQ(serial, 0x1234abcdu);
    prefix.link("k:", "/nonexistent-tessivar-drive");
    EXPECT_FALSE(files.GetVolumeInformationA("K:\\", &label, &serial, &fileSystem));
    EXPECT_FALSE(files.GetVolumeInformationA("Q:\\", &label, &serial, &fileSystem));
    EXPECT_FALSE(files.GetVolumeInformationA("C:\\windows", &label, &serial, &fileSystem));
}

TEST(WineDrives, ReaderOverTheRegistryIsOptional)
{
    EXPECT_EQ(driveTypeFor('a', ""), DriveType::removable);
    EXPECT_EQ(driveTypeFor('b', "weird"), DriveType::removable);
    EXPECT_EQ(driveTypeFor('c', ""), DriveType::fixed);
    EXPECT_EQ(driveTypeFor('a', "HD"), DriveType::fixed);
}

class WineFileWrites : public ::testing::Test {
  protected:
    TempPrefix prefix;
    WineFileSystem files{prefix.path()};
};

TEST_F(WineFileWrites, AppendLineAddsCrLfAndCreatesTheFile)
{
    prefix.makeFolder("drive_c/Backups");
    ASSERT_TRUE(files.appendLine("C:\\backups\\run.txt", "first"));
    ASSERT_TRUE(files.appendLine("C:\\BACKUPS\\RUN.TXT", "second", Sync::yes));
    std::ifstream in(prefix.driveC() / "Backups" / "run.txt", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "first\r\nsecond\r\n");
    EXPECT_FALSE(files.appendLine("C:\\no such folder\\run.txt", "x"));
    EXPECT_FALSE(files.appendLine("C:\\backups", "x"));
    EXPECT_FALSE(files.appendLine("\\\\server\\share\\run.txt", "x"));
}

TEST_F(WineFileWrites, ReadLinesEndsLinesAtCrLfLfAndLoneCr)
{
    prefix.write("drive_c/lines.txt", "one\r\ntwo\nthree\rfour\r\n\r\nlast");
    std::vector<std::string> lines;
    ASSERT_TRUE(files.readLines("C:\\LINES.TXT", &lines));
    EXPECT_EQ(lines, (std::vector<std::string>{"one", "two", "three", "four", "", "last"}));
    prefix.write("drive_c/empty.txt", "");
    ASSERT_TRUE(files.readLines("C:\\empty.txt", &lines));
    EXPECT_TRUE(lines.empty());
    EXPECT_FALSE(files.readLines("C:\\missing.txt", &lines));
    EXPECT_FALSE(files.readLines("C:\\windows", &lines));
}

TEST_F(WineFileWrites, ReadFileIsBounded)
{
    prefix.write("drive_c/ten.bin", std::string(10, 'x'));
    std::string bytes = "untouched";
    EXPECT_FALSE(files.readFile("C:\\ten.bin", &bytes, 9));
    EXPECT_EQ(bytes, "untouched");
    ASSERT_TRUE(files.readFile("C:\\TEN.BIN", &bytes, 10));
    EXPECT_EQ(bytes, std::string(10, 'x'));
    EXPECT_EQ(files.fileSize("c:\\ten.bin"), 10);
    EXPECT_EQ(files.fileSize("c:\\none.bin"), -1);
    EXPECT_EQ(files.fileSize("c:\\windows"), -1);
}

TEST_F(WineFileWrites, WriteFileReplacesAtomicallyAndKeepsTheMode)
{
    const auto target = prefix.write("drive_c/Settings.ini", "old");
    ::chmod(target.c_str(), 0640);
    ASSERT_TRUE(files.writeFile("C:\\settings.ini", "new content", Sync::yes));
    std::ifstream in(target, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "new content");
    struct stat info {};
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    // Nothing is left beside it.
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(prefix.driveC()))
        ++count;
    EXPECT_EQ(count, 3u); // windows, users and Settings.ini: no temporary file left behind
    EXPECT_FALSE(files.writeFile("C:\\windows", "x"));
}

TEST_F(WineFileWrites, WriteFileThroughALinkKeepsTheLink)
{
    const auto real = prefix.write("drive_c/real.txt", "old");
    std::filesystem::create_symlink(real, prefix.driveC() / "alias.txt");
    ASSERT_TRUE(files.writeFile("C:\\alias.txt", "new"));
    EXPECT_TRUE(std::filesystem::is_symlink(prefix.driveC() / "alias.txt"));
    std::ifstream in(real, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "new");
}

TEST_F(WineFileWrites, CopyReplacesUnlessAskedNotTo)
{
    prefix.write("drive_c/from.lnk", "new");
    const auto existing = prefix.write("drive_c/Backup/From.LNK", "old");
    EXPECT_FALSE(files.CopyFileA("C:\\from.lnk", "C:\\backup\\from.lnk", true));
    ASSERT_TRUE(files.CopyFileA("C:\\from.lnk", "C:\\backup\\from.lnk", false));
    std::ifstream in(existing, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "new");
    EXPECT_FALSE(files.CopyFileA("C:\\from.lnk", "C:\\from.lnk", false));
    EXPECT_FALSE(files.CopyFileA("C:\\none.lnk", "C:\\backup\\none.lnk", false));
    EXPECT_FALSE(files.CopyFileA("C:\\windows", "C:\\backup\\windows", false));
    EXPECT_FALSE(files.CopyFileA("C:\\from.lnk", "C:\\missing\\from.lnk", false));
    std::ifstream source(prefix.driveC() / "from.lnk", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(source), {}), "new");
}

TEST_F(WineFileWrites, DeleteRemovesFilesOnly)
{
    prefix.write("drive_c/gone.lnk");
    const auto locked = prefix.write("drive_c/locked.lnk");
    ::chmod(locked.c_str(), 0444);
    ASSERT_TRUE(files.DeleteFileA("C:\\GONE.LNK"));
    EXPECT_FALSE(std::filesystem::exists(prefix.driveC() / "gone.lnk"));
    EXPECT_FALSE(files.DeleteFileA("C:\\gone.lnk"));
    EXPECT_FALSE(files.DeleteFileA("C:\\windows"));
    EXPECT_FALSE(files.DeleteFileA("C:\\locked.lnk")); // read-only, as Windows refuses
    EXPECT_TRUE(std::filesystem::exists(locked));
    EXPECT_FALSE(files.DeleteFileA("C:\\*.lnk"));
}

TEST_F(WineFileWrites, CreateDirectoryNeedsAParentAndNoNamesake)
{
    EXPECT_TRUE(files.CreateDirectoryA("C:\\New Folder"));
    EXPECT_TRUE(std::filesystem::is_directory(prefix.driveC() / "New Folder"));
    EXPECT_FALSE(files.CreateDirectoryA("C:\\NEW FOLDER"));
    EXPECT_FALSE(files.CreateDirectoryA("C:\\a\\b"));
    EXPECT_TRUE(files.CreateDirectoryA("C:\\new folder\\Inner\\"));
    EXPECT_TRUE(std::filesystem::is_directory(prefix.driveC() / "New Folder" / "Inner"));
}

TEST(WineFolders, FixedFoldersAndTheShortNameOfAPath)
{
    TempPrefix prefix;
    WineFileSystem files(prefix.path());
    EXPECT_EQ(files.GetSystemDirectoryA(), "C:\\windows\\system32");
    EXPECT_EQ(files.GetWindowsDirectoryA(), "C:\\windows");
    EXPECT_EQ(files.GetShortPathNameA("C:\\Program Files\\Long Name.exe"), "C:\\Program Files\\Long Name.exe");
}

TEST(WineFolders, TempFolderPrefersThePrefixUsersTemp)
{
    TempPrefix prefix;
    WineFileSystem files(prefix.path(), WineFileSystemOptions{{}, {}, "someone"});
    prefix.makeFolder("drive_c/users/someone/Temp");
    EXPECT_EQ(files.GetTempPathA(), "C:\\users\\someone\\Temp\\");
    std::filesystem::remove(prefix.driveC() / "users" / "someone" / "Temp");
    ScopedEnv tmp("TMPDIR", prefix.outside().string());
    const std::string fallback = files.GetTempPathA();
    EXPECT_EQ(fallback, files.windowsPathOf(prefix.outside()) + "\\");
    EXPECT_EQ(files.unixPathOf(fallback)->string(), prefix.outside().string());
}

TEST(WineFolders, ProgramFolderIsMadeUnderXdgDataHome)
{
    TempPrefix prefix;
    WineFileSystem files(prefix.path());
    ScopedEnv data("XDG_DATA_HOME", (prefix.outside() / "data").string());
    const std::string folder = files.programFolder();
    EXPECT_TRUE(std::filesystem::is_directory(prefix.outside() / "data" / "tessivar"));
    EXPECT_EQ(folder.substr(0, 3), "Z:\\");
    EXPECT_FALSE(folder.ends_with("\\"));
    EXPECT_EQ(files.unixPathOf(folder)->string(), (prefix.outside() / "data" / "tessivar").string());
    // Without a z: drive the Unix path is named directly.
    std::filesystem::remove(prefix.path() / "dosdevices" / "z:");
    const std::string direct = files.programFolder();
    EXPECT_EQ(direct.substr(0, 9), "\\\\?\\unix\\");
    EXPECT_EQ(files.unixPathOf(direct)->string(), (prefix.outside() / "data" / "tessivar").string());
}

TEST(WineFolders, DeviceOfAFolder)
{
    TempPrefix prefix;
    WineFileSystem files(prefix.path());
    struct stat info {};
    ASSERT_EQ(::stat(prefix.driveC().c_str(), &info), 0);
    EXPECT_EQ(files.deviceOf("C:\\"), static_cast<std::uint64_t>(info.st_dev));
    EXPECT_EQ(files.deviceOf("C:\\WINDOWS"), static_cast<std::uint64_t>(info.st_dev));
    EXPECT_FALSE(files.deviceOf("C:\\missing"));
    EXPECT_FALSE(files.deviceOf("\\\\server\\share"));
}

TEST(RealWinePrefix, AnswersLikeWineForAFreshPrefix)
{
    const auto prefix = test::testWinePrefix();
    if (!prefix)
        GTEST_SKIP() << "TESSIVAR_TEST_WINEPREFIX is not set or holds no prefix";
    WineFileSystem files(*prefix);
    FileOperationScope operation(files);
    EXPECT_EQ(files.searchPath("C:\\WINDOWS\\SYSTEM32\\KERNEL32.DLL", 0), SearchOutcome::found);
    EXPECT_EQ(files.searchPath("c:\\program files\\internet explorer\\IEXPLORE.EXE", 0), SearchOutcome::found);
    EXPECT_EQ(files.searchPath("C:\\PROGRA~1\\Internet Explorer\\iexplore.exe", 0), SearchOutcome::failed);
    EXPECT_EQ(files.searchPath("C:\\windows\\system32", 0), SearchOutcome::notFound);
    const auto drives = files.drives();
    ASSERT_GE(drives.size(), 2u);
    EXPECT_EQ(drives.front().letter, 'C');
    EXPECT_EQ(drives.front().type, DriveType::fixed);
    EXPECT_EQ(drives.back().letter, 'Z');
    if (files.wineFontFolder().empty())
        GTEST_SKIP() << "Wine's font folder was not found";
    for (const char* font : {"coure.fon", "sserife.fon", "serife.fon", "smalle.fon"})
        EXPECT_EQ(files.searchPath(std::string("C:\\windows\\Fonts\\") + font, 0), SearchOutcome::found) << font;
}

} // namespace
} // namespace tessivar::wine
