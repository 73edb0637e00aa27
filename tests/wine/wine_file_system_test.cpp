#include "platform/wine/wine_file_system.h"
#include "support/temp_prefix.h"

#include <algorithm>
#include <dirent.h>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace tessivar::wine {
namespace {

using test::TempPrefix;

// The Windows spelling of a Unix path, as WineFileSystem reaches it through Z:.
std::string onZ(const std::filesystem::path& unixPath)
{
    std::string text = "Z:" + unixPath.string();
    for (char& c : text)
        if (c == '/')
            c = '\\';
    return text;
}

class WineFiles : public ::testing::TestWithParam<bool> {
  protected:
    WineFiles() : files(prefix.path(), WineFileSystemOptions{{}, prefix.outside() / "fonts", {}})
    {
        if (GetParam())
            files.beginOperation();
    }
    ~WineFiles() override
    {
        if (GetParam())
            files.endOperation();
    }
    SearchOutcome search(std::string_view path, std::uint32_t mask = 0) { return files.searchPath(path, mask); }
    std::string unixOf(std::string_view path)
    {
        const auto mapped = files.unixPathOf(path);
        return mapped ? mapped->string() : "-";
    }

    TempPrefix prefix;
    WineFileSystem files;
};

INSTANTIATE_TEST_SUITE_P(InsideAndOutsideAnOperation, WineFiles, ::testing::Bool(),
                         [](const auto& param) { return param.param ? "cached" : "direct"; });

TEST_P(WineFiles, MatchesEveryComponentWithoutRegardToCase)
{
    const auto file = prefix.write("drive_c/Program Files/Some App/ReadMe.TXT", "x");
    EXPECT_EQ(search("C:\\PROGRAM FILES\\some app\\readme.txt"), SearchOutcome::found);
    EXPECT_EQ(search("c:\\program files\\Some App\\ReadMe.TXT"), SearchOutcome::found);
    EXPECT_EQ(unixOf("C:\\PROGRAM FILES\\SOME APP\\README.TXT"), file.string());
    EXPECT_EQ(search("C:\\Program Files\\Some App\\ReadMe.TXT.bak"), SearchOutcome::notFound);
    EXPECT_EQ(search("C:\\Program Files\\Other App\\ReadMe.TXT"), SearchOutcome::notFound);
}

TEST_P(WineFiles, PrefersTheExactNameAmongCaseVariants)
{
    const auto lower = prefix.write("drive_c/twins/dup", "lower");
    const auto upper = prefix.write("drive_c/twins/DUP", "upper");
    EXPECT_EQ(unixOf("C:\\twins\\dup"), lower.string());
    EXPECT_EQ(unixOf("C:\\TWINS\\DUP"), upper.string());
    const std::string either = unixOf("C:\\twins\\Dup");
    EXPECT_TRUE(either == lower.string() || either == upper.string()) << either;
}

TEST_P(WineFiles, FollowsRelativeAndAbsoluteDriveLinks)
{
    prefix.write("drive_c/windows/system32/Shell32.dll");
    std::filesystem::create_directories(prefix.outside() / "Media");
    std::ofstream(prefix.outside() / "Media" / "Song.wav") << "x";
    prefix.link("e:", "../drive_c/windows");
    prefix.link("d:", prefix.outside().string());
    EXPECT_EQ(search("E:\\SYSTEM32\\shell32.DLL"), SearchOutcome::found);
    EXPECT_EQ(search("D:\\media\\song.WAV"), SearchOutcome::found);
    EXPECT_EQ(unixOf("d:\\MEDIA\\SONG.wav"), (prefix.outside() / "Media" / "Song.wav").string());
}

TEST_P(WineFiles, ZMapsTheUnixRoot)
{
    const auto file = prefix.write("drive_c/on z.txt");
    EXPECT_EQ(search(onZ(file)), SearchOutcome::found);
    EXPECT_EQ(unixOf(onZ(file)), file.string());
    EXPECT_EQ(search("\\\\?\\unix" + onZ(file).substr(2)), SearchOutcome::found);
}

TEST_P(WineFiles, NamesWithBlanksDotsAndNonAsciiLetters)
{
    prefix.write("drive_c/Program Files (x86)/Ünï App/файл.v1.2.txt");
    EXPECT_EQ(search("C:\\program files (x86)\\ÜNÏ APP\\ФАЙЛ.V1.2.TXT"), SearchOutcome::found);
    EXPECT_EQ(search("C:\\program files (x86)\\unï app\\файл.v1.2.txt"), SearchOutcome::notFound);
}

TEST_P(WineFiles, CanonicalisesBeforeMapping)
{
    prefix.write("drive_c/windows/system32/kernel32.dll");
    EXPECT_EQ(search("C:/windows//System32/./../system32/KERNEL32.DLL. "), SearchOutcome::found);
    EXPECT_EQ(search("C:\\windows.\\system32\\kernel32.dll"), SearchOutcome::found);
    EXPECT_EQ(search("C:\\windows\\system32\\", FILE_ATTRIBUTE_DIRECTORY), SearchOutcome::found);
}

TEST_P(WineFiles, UnmappablePathsMakeTheSearchFail)
{
    prefix.link("k:", "/nonexistent-tessivar-drive");
    prefix.link("L:", prefix.outside().string()); // Wine ignores upper-case links
    prefix.makeFolder("drive_c/Program Files");
    for (const char* path : {"\\\\server\\share\\app.exe", "app.exe", "\\windows\\app.exe", "Q:\\app.exe",
                             "K:\\app.exe", "L:\\app.exe", "C:\\PROGRA~1\\app.exe", "C:\\Program Files\\APP~1.EXE",
                             "C:\\a|b\\c.exe", "C:\\dir*\\c.exe", "C:\\x\\y\x07.exe", "C:\\x:y"})
        EXPECT_EQ(search(path), SearchOutcome::failed) << path;
}

TEST_P(WineFiles, AFolderIsNeverAFile)
{
    prefix.makeFolder("drive_c/windows/Help");
    EXPECT_EQ(search("C:\\windows\\help"), SearchOutcome::notFound);
    EXPECT_EQ(search("C:\\windows\\help", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM), SearchOutcome::notFound);
    EXPECT_EQ(search("C:\\windows\\help", FILE_ATTRIBUTE_DIRECTORY), SearchOutcome::found);
    EXPECT_EQ(search("C:\\", 0), SearchOutcome::notFound);
    EXPECT_EQ(search("C:\\", FILE_ATTRIBUTE_DIRECTORY), SearchOutcome::found);
    // A link to a folder is a folder too.
    std::filesystem::create_directory_symlink(prefix.driveC() / "windows", prefix.driveC() / "win-link");
    EXPECT_EQ(search("C:\\WIN-LINK"), SearchOutcome::notFound);
}

TEST_P(WineFiles, AFileNamedWithATrailingBackslashIsNotFound)
{
    prefix.write("drive_c/notes.txt");
    EXPECT_EQ(search("C:\\notes.txt\\"), SearchOutcome::notFound);
    EXPECT_EQ(files.GetFileAttributesA("C:\\notes.txt\\"), INVALID_FILE_ATTRIBUTES);
}

TEST_P(WineFiles, HiddenFilesNeedTheHiddenBit)
{
    prefix.write("drive_c/.secret");
    EXPECT_EQ(search("C:\\.SECRET", 0), SearchOutcome::notFound);
    EXPECT_EQ(search("C:\\.secret", FILE_ATTRIBUTE_ARCHIVE), SearchOutcome::notFound);
    EXPECT_EQ(search("C:\\.secret", FILE_ATTRIBUTE_HIDDEN), SearchOutcome::found);
}

TEST_P(WineFiles, WildcardsMatchInTheLastComponent)
{
    prefix.write("drive_c/windows/system32/Ole32.DLL");
    prefix.write("drive_c/windows/system32/.hidden.ocx");
    prefix.makeFolder("drive_c/windows/system32/drivers");
    prefix.makeFolder("drive_c/empty");
    EXPECT_EQ(search("C:\\windows\\system32\\*.dll"), SearchOutcome::found);
    EXPECT_EQ(search("C:\\windows\\system32\\ole??.dll"), SearchOutcome::found);
    EXPECT_EQ(search("C:\\windows\\system32\\*.ocx"), SearchOutcome::notFound);
    EXPECT_EQ(search("C:\\windows\\system32\\*.ocx", FILE_ATTRIBUTE_HIDDEN), SearchOutcome::found);
    EXPECT_EQ(search("C:\\windows\\system32\\drive*"), SearchOutcome::notFound);
    EXPECT_EQ(search("C:\\windows\\system32\\drive*", FILE_ATTRIBUTE_DIRECTORY), SearchOutcome::found);
    EXPECT_EQ(search("C:\\empty\\*.*"), SearchOutcome::notFound);
    EXPECT_EQ(search("C:\\missing\\*.*"), SearchOutcome::notFound);
}

TEST_P(WineFiles, WineFontsCountAsPresentInTheFontsFolder)
{
    std::filesystem::create_directories(prefix.outside() / "fonts");
    std::ofstream(prefix.outside() / "fonts" / "coure.fon") << "font";
    prefix.write("drive_c/windows/Fonts/mine.ttf");
    EXPECT_EQ(search("C:\\windows\\Fonts\\coure.fon"), SearchOutcome::found);
    EXPECT_EQ(search("c:\\WINDOWS\\FONTS\\COURE.FON"), SearchOutcome::found);
    EXPECT_EQ(search("C:\\windows\\Fonts\\mine.ttf"), SearchOutcome::found);
    EXPECT_EQ(search("C:\\windows\\Fonts\\*.fon"), SearchOutcome::found);
    EXPECT_EQ(search("C:\\windows\\Fonts\\gone.fon"), SearchOutcome::notFound);
    // Registered by Wine in every prefix, answered by Wine even without the file.
    EXPECT_EQ(search("C:\\windows\\Fonts\\SERIFE.FON"), SearchOutcome::found);
    EXPECT_EQ(search("C:\\windows\\serife.fon"), SearchOutcome::notFound);
    EXPECT_EQ(search("C:\\windows\\system32\\coure.fon"), SearchOutcome::notFound);
    EXPECT_EQ(files.GetFileAttributesA("C:\\windows\\Fonts\\coure.fon"), FILE_ATTRIBUTE_ARCHIVE);
}

TEST_P(WineFiles, AttributesAsWineReportsThem)
{
    const auto readOnly = prefix.write("drive_c/data/locked.txt", "12345");
    std::filesystem::permissions(readOnly, std::filesystem::perms::owner_read | std::filesystem::perms::group_read);
    prefix.write("drive_c/data/.dotfile");
    std::filesystem::create_symlink(readOnly, prefix.driveC() / "data" / "link.txt");
    EXPECT_EQ(files.GetFileAttributesA("C:\\DATA\\LOCKED.TXT"), FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(files.GetFileAttributesA("C:\\data"), FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(files.GetFileAttributesA("C:\\"), FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(files.GetFileAttributesA("C:\\data\\.dotfile"), FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(files.GetFileAttributesA("C:\\data\\link.txt"),
              FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_REPARSE_POINT);
    EXPECT_EQ(files.GetFileAttributesA("C:\\data\\none.txt"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(files.GetFileAttributesA("\\\\server\\share"), INVALID_FILE_ATTRIBUTES);
}

std::vector<std::string> readdirOrder(const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    DIR* dir = opendir(folder.c_str());
    while (const dirent* entry = readdir(dir))
        if (std::string_view(entry->d_name) != "." && std::string_view(entry->d_name) != "..")
            names.emplace_back(entry->d_name);
    closedir(dir);
    return names;
}

std::vector<FindData> listAll(WineFileSystem& files, std::string_view pattern, FindDetail detail)
{
    std::vector<FindData> found;
    FindData data;
    const FindHandle handle = files.FindFirstFileA(pattern, &data, detail);
    if (handle == INVALID_FIND_HANDLE)
        return found;
    do
        found.push_back(data);
    while (files.FindNextFileA(handle, &data));
    EXPECT_TRUE(files.FindClose(handle));
    return found;
}

TEST_P(WineFiles, ListsDotEntriesFirstThenInPlatformOrder)
{
    for (const char* name : {"b.txt", "A.lnk", "c.TXT", "zz.dat"})
        prefix.write(std::string("drive_c/list/") + name, "1234");
    prefix.makeFolder("drive_c/list/Sub");
    std::vector<std::string> expected{".", ".."};
    for (const auto& name : readdirOrder(prefix.driveC() / "list"))
        expected.push_back(name);

    std::vector<std::string> names;
    for (const auto& data : listAll(files, "C:\\LIST\\*", FindDetail::full))
        names.push_back(data.fileName);
    EXPECT_EQ(names, expected);

    names.clear();
    for (const auto& data : listAll(files, "C:\\list\\*.txt", FindDetail::full)) {
        names.push_back(data.fileName);
        EXPECT_EQ(data.size, 4u);
        EXPECT_EQ(data.attributes, FILE_ATTRIBUTE_ARCHIVE);
    }
    EXPECT_EQ(names.size(), 2u);

    // A drive root has no "." or "..".
    for (const auto& data : listAll(files, "C:\\*", FindDetail::full))
        EXPECT_NE(data.fileName.front(), '.') << data.fileName;
    // Without a wildcard the entry itself is found, folders included, with its name on disk.
    const auto single = listAll(files, "C:\\list\\SUB", FindDetail::full);
    ASSERT_EQ(single.size(), 1u);
    EXPECT_EQ(single[0].fileName, "Sub");
    EXPECT_EQ(single[0].attributes, FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_TRUE(listAll(files, "C:\\list\\*.none", FindDetail::full).empty());
    EXPECT_TRUE(listAll(files, "C:\\list\\", FindDetail::full).empty());
    EXPECT_TRUE(listAll(files, "C:\\nowhere\\*", FindDetail::full).empty());
}

TEST_P(WineFiles, TypeOnlyListingTellsFoldersLinksAndHiddenNames)
{
    prefix.write("drive_c/walk/file.lnk", "x");
    prefix.write("drive_c/walk/.hidden", "x");
    prefix.makeFolder("drive_c/walk/folder");
    std::filesystem::create_directory_symlink("/", prefix.driveC() / "walk" / "loop");
    std::map<std::string, std::uint32_t> seen;
    for (const auto& data : listAll(files, "C:\\walk\\*.*", FindDetail::typeOnly))
        seen[data.fileName] = data.attributes;
    EXPECT_EQ(seen["file.lnk"], FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_EQ(seen[".hidden"], FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(seen["folder"], FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(seen["loop"], FILE_ATTRIBUTE_REPARSE_POINT);
    EXPECT_EQ(seen["."], FILE_ATTRIBUTE_DIRECTORY);
}

// A listing followed by lookups in the same folder, as a walk makes them: names are matched
// without regard to case and the name as written wins, however many lookups came before.
TEST_P(WineFiles, LookupsAfterAListingMatchAsWindowsDoes)
{
    const auto lower = prefix.write("drive_c/mixed/dup", "lower");
    const auto upper = prefix.write("drive_c/mixed/DUP", "upper");
    const auto only = prefix.write("drive_c/mixed/Only.Lnk", "x");
    for (int i = 0; i < 20; ++i)
        prefix.write("drive_c/mixed/file" + std::to_string(i) + ".dat");
    EXPECT_EQ(listAll(files, "C:\\MIXED\\*", FindDetail::typeOnly).size(), 2u + 23u);

    const struct {
        const char* path;
        std::string expected;
    } lookups[] = {
        {"C:\\mixed\\ONLY.LNK", only.string()},
        {"C:\\mixed\\DUP", upper.string()},
        {"C:\\mixed\\dup", lower.string()},
        {"C:\\mixed\\only.lnk", only.string()},
        {"C:\\mixed\\Only.Lnk", only.string()},
        {"C:\\mixed\\DUP", upper.string()},
        {"C:\\mixed\\dup", lower.string()},
        {"C:\\mixed\\gone.lnk", (prefix.driveC() / "mixed" / "gone.lnk").string()},
        {"C:\\mixed\\DUP", upper.string()},
        {"C:\\mixed\\dup", lower.string()},
        {"C:\\mixed\\FILE7.DAT", (prefix.driveC() / "mixed" / "file7.dat").string()},
    };
    for (const auto& lookup : lookups)
        EXPECT_EQ(unixOf(lookup.path), lookup.expected) << lookup.path;
    EXPECT_EQ(files.GetFileAttributesA("c:\\Mixed\\only.LNK"), FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_EQ(search("C:\\mixed\\gone.lnk"), SearchOutcome::notFound);
}

TEST_P(WineFiles, ListingsFollowWritesThroughTheLayer)
{
    prefix.write("drive_c/shelf/old.lnk", "x");
    auto names = [this] {
        std::vector<std::string> found;
        for (const auto& data : listAll(files, "C:\\shelf\\*.lnk", FindDetail::typeOnly))
            found.push_back(data.fileName);
        std::sort(found.begin(), found.end());
        return found;
    };
    EXPECT_EQ(names(), std::vector<std::string>{"old.lnk"});
    ASSERT_TRUE(files.CopyFileA("C:\\shelf\\old.lnk", "C:\\SHELF\\New.lnk", true));
    EXPECT_EQ(names(), (std::vector<std::string>{"New.lnk", "old.lnk"}));
    ASSERT_TRUE(files.DeleteFileA("C:\\shelf\\OLD.LNK"));
    EXPECT_EQ(names(), std::vector<std::string>{"New.lnk"});
    ASSERT_TRUE(files.CreateDirectoryA("C:\\shelf\\Box"));
    ASSERT_TRUE(files.writeFile("C:\\shelf\\box\\in.lnk", "y"));
    const auto inside = listAll(files, "C:\\shelf\\BOX\\*", FindDetail::full);
    ASSERT_EQ(inside.size(), 3u);
    EXPECT_EQ(inside[2].fileName, "in.lnk");
    EXPECT_EQ(inside[2].size, 1u);
}

// The walk asks for a folder's device before it lists it; the answer is the folder's own.
TEST_P(WineFiles, DeviceOfAFolderToBeListed)
{
    prefix.write("drive_c/dev/sub/file.txt");
    std::filesystem::create_directories(prefix.outside());
    std::filesystem::create_directory_symlink(prefix.outside(), prefix.driveC() / "dev" / "away");
    struct stat info {};
    ASSERT_EQ(::stat(prefix.driveC().c_str(), &info), 0);
    const auto device = static_cast<std::uint64_t>(info.st_dev);
    EXPECT_EQ(files.folderDevice("C:\\"), device);
    EXPECT_EQ(files.folderDevice("C:\\DEV\\SUB\\"), device);
    EXPECT_EQ(files.folderDevice("C:\\dev\\away\\"), device);
    EXPECT_EQ(files.folderDevice("C:\\dev\\sub\\file.txt"), 0u);
    EXPECT_EQ(files.folderDevice("C:\\dev\\missing\\"), 0u);
    EXPECT_EQ(files.folderDevice("\\\\server\\share\\"), 0u);
    // Asking first does not change what the listing then gives.
    const auto listed = listAll(files, "C:\\dev\\sub\\*", FindDetail::typeOnly);
    ASSERT_EQ(listed.size(), 3u);
    EXPECT_EQ(listed[2].fileName, "file.txt");
}

TEST_P(WineFiles, IdentityIsTheSameByEveryRouteAndMarksTheHostSystem)
{
    prefix.write("drive_c/a/file.txt");
    prefix.link("d:", "../drive_c/a");
    const auto viaC = files.fileIdentity("C:\\a\\");
    const auto viaD = files.fileIdentity("D:\\");
    ASSERT_TRUE(viaC && viaD);
    EXPECT_TRUE(viaC->sameFile(*viaD));
    EXPECT_FALSE(viaC->hostSystem);
    const auto file = files.fileIdentity("D:\\FILE.TXT");
    ASSERT_TRUE(file);
    EXPECT_FALSE(file->sameFile(*viaD));
    EXPECT_FALSE(files.fileIdentity("C:\\a\\missing.txt"));
    for (const auto& [path, hostSystem] : {std::pair<std::string, bool>{"Z:\\proc\\", true},
                                           {"Z:\\dev\\", true},
                                           {"Z:\\sys\\", true},
                                           {"Z:\\", false},
                                           {onZ(prefix.outside()), false}}) {
        std::filesystem::create_directories(prefix.outside());
        if (const auto identity = files.fileIdentity(path)) {
            EXPECT_EQ(identity->hostSystem, hostSystem) << path;
        }
    }
}

TEST_P(WineFiles, DrivesOutsideThePrefixAreMarked)
{
    std::filesystem::create_directories(prefix.outside());
    prefix.link("d:", "../drive_c/a");
    prefix.makeFolder("drive_c/a");
    prefix.link("y:", prefix.outside().string());
    std::string outside;
    for (const DriveInfo& drive : files.drives())
        if (!drive.insidePrefix)
            outside += drive.letter;
    EXPECT_EQ(outside, "YZ"); // z: is "/"
}

TEST_P(WineFiles, AnUnreadableFolderListsNothing)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "permissions do not stop the superuser";
    prefix.write("drive_c/closed/inside.txt");
    std::filesystem::permissions(prefix.driveC() / "closed", std::filesystem::perms::none);
    EXPECT_TRUE(listAll(files, "C:\\closed\\*", FindDetail::typeOnly).empty());
    EXPECT_EQ(search("C:\\closed\\inside.txt"), SearchOutcome::failed);
}

TEST_P(WineFiles, WritesThroughTheLayerKeepLookupsTrue)
{
    prefix.makeFolder("drive_c/Work");
    EXPECT_EQ(search("C:\\work\\log.txt"), SearchOutcome::notFound);
    ASSERT_TRUE(files.appendLine("C:\\work\\Log.txt", "one"));
    EXPECT_EQ(search("C:\\work\\log.txt"), SearchOutcome::found);
    EXPECT_EQ(search("C:\\work\\copy.txt"), SearchOutcome::notFound);
    ASSERT_TRUE(files.CopyFileA("C:\\work\\log.txt", "C:\\WORK\\Copy.txt", true));
    EXPECT_EQ(search("C:\\work\\copy.txt"), SearchOutcome::found);
    ASSERT_TRUE(files.DeleteFileA("c:\\work\\LOG.TXT"));
    EXPECT_EQ(search("C:\\work\\log.txt"), SearchOutcome::notFound);
    EXPECT_EQ(search("C:\\work\\sub\\new.txt"), SearchOutcome::notFound);
    ASSERT_TRUE(files.CreateDirectoryA("C:\\work\\Sub"));
    EXPECT_EQ(search("C:\\work\\sub", FILE_ATTRIBUTE_DIRECTORY), SearchOutcome::found);
    ASSERT_TRUE(files.writeFile("C:\\work\\sub\\new.txt", "content"));
    EXPECT_EQ(search("C:\\work\\sub\\new.txt"), SearchOutcome::found);
    EXPECT_EQ(search("C:\\work\\*.txt"), SearchOutcome::found);
    ASSERT_TRUE(files.DeleteFileA("C:\\work\\copy.txt"));
    EXPECT_EQ(search("C:\\work\\*.txt"), SearchOutcome::notFound);
}

TEST_P(WineFiles, WritesThroughAnotherDriveLetterKeepLookupsTrue)
{
    prefix.makeFolder("drive_c/Shared");
    EXPECT_EQ(search("C:\\shared\\a.txt"), SearchOutcome::notFound);
    ASSERT_TRUE(files.appendLine(onZ(prefix.driveC() / "Shared" / "a.txt"), "x"));
    EXPECT_EQ(search("C:\\shared\\a.txt"), SearchOutcome::found);
}

TEST(WineFilesOutsideAnOperation, SeesChangesMadeBesideTheLayer)
{
    TempPrefix prefix;
    WineFileSystem files(prefix.path());
    prefix.makeFolder("drive_c/Beside");
    EXPECT_EQ(files.searchPath("C:\\beside\\new.txt", 0), SearchOutcome::notFound);
    prefix.write("drive_c/Beside/NEW.txt");
    EXPECT_EQ(files.searchPath("C:\\beside\\new.txt", 0), SearchOutcome::found);
    std::filesystem::remove(prefix.driveC() / "Beside" / "NEW.txt");
    EXPECT_EQ(files.searchPath("C:\\beside\\new.txt", 0), SearchOutcome::notFound);
}

TEST(WineFilesOperation, NestsAndForgetsOnlyAtTheOutermostEnd)
{
    TempPrefix prefix;
    WineFileSystem files(prefix.path());
    prefix.makeFolder("drive_c/Nest");
    FileOperationScope outer(files);
    {
        FileOperationScope inner(files);
        EXPECT_EQ(files.searchPath("C:\\nest\\x.txt", 0), SearchOutcome::notFound);
    }
    prefix.write("drive_c/Nest/x.txt");
    // Still inside the outer operation: the listing read before is kept.
    EXPECT_EQ(files.searchPath("C:\\nest\\x.txt", 0), SearchOutcome::notFound);
    files.endOperation();
    EXPECT_EQ(files.searchPath("C:\\nest\\x.txt", 0), SearchOutcome::found);
    files.beginOperation(); // balance the scope's end
}

TEST(WineFilesOperation, ReadsTheDriveListOncePerOperation)
{
    TempPrefix prefix;
    WineFileSystem files(prefix.path());
    const auto letters = [&files] {
        std::string text;
        for (const DriveInfo& drive : files.drives())
            text += drive.letter;
        return text;
    };
    EXPECT_EQ(letters(), "CZ");
    {
        FileOperationScope operation(files);
        EXPECT_EQ(letters(), "CZ");
        prefix.link("d:", prefix.outside().string());
        // The checks ask for the list once per value; within one scan it is read once.
        EXPECT_EQ(letters(), "CZ");
    }
    EXPECT_EQ(letters(), "CDZ");
}

} // namespace
} // namespace tessivar::wine
