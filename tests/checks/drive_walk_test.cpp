#include "checks/drive_walk.h"
#include "checks/walk_context.h"
#include "support/shell_link_builder.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace tessivar {
namespace {

using test::WalkContext;

std::string brokenLink()
{
    test::LinkDesign design;
    design.idListPath = "C:\\gone\\gone.exe";
    return test::BuildShellLink(design);
}

// Patterns of the listings started, for folders only (the walk lists each folder once).
std::vector<std::string> listed(const WalkContext& scene)
{
    return scene.files.patterns;
}

TEST(DriveWalk, UnreadableVolumeIsNotListed)
{
    WalkContext scene;
    scene.files.addFile("C:\\a.lnk", brokenLink());
    scene.files.volumeUnreadable = true;
    WalkDrive(scene.context, "C:\\");
    EXPECT_TRUE(scene.files.patterns.empty());
    EXPECT_EQ(scene.model.lvwShortcut.count(), 0u);
}

TEST(DriveWalk, FilesOfAFolderComeBeforeItsSubfolders)
{
    WalkContext scene;
    scene.files.addFile("C:\\t\\a.lnk", brokenLink());
    scene.files.addFile("C:\\t\\b.txt", "x");
    scene.files.addFile("C:\\t\\s\\c.lnk", brokenLink());
    scene.files.addFile("C:\\t\\z.url", "[InternetShortcut]\nURL=\n");
    scene.files.addFile("C:\\t\\s2\\d.lnk", brokenLink());
    WalkFolder(scene.context, "C:\\t\\");
    EXPECT_EQ(scene.recorded(),
              (std::vector<std::string>{"C:\\t\\a.lnk", "C:\\t\\z.url", "C:\\t\\s\\c.lnk", "C:\\t\\s2\\d.lnk"}));
    EXPECT_EQ(listed(scene), (std::vector<std::string>{"C:\\t\\*", "C:\\t\\s\\*", "C:\\t\\s2\\*"}));
    // Listings tell folders from files by the entry type alone.
    for (FindDetail detail : scene.files.details)
        EXPECT_EQ(detail, FindDetail::typeOnly);
    EXPECT_EQ(scene.files.openFindHandles(), 0);
}

TEST(DriveWalk, PathWithoutTrailingBackslashIsWalkedTheSame)
{
    WalkContext scene;
    scene.files.addFile("C:\\t\\a.lnk", brokenLink());
    WalkFolder(scene.context, "C:\\t");
    EXPECT_EQ(scene.recorded(), std::vector<std::string>{"C:\\t\\a.lnk"});
    EXPECT_EQ(listed(scene), std::vector<std::string>{"C:\\t\\*"});
}

TEST(DriveWalk, WhichFilesReachTheCheck)
{
    WalkContext scene;
    scene.files.addFile("C:\\t\\nodotlnk", brokenLink());
    scene.files.addFile("C:\\t\\compressed.lnk", brokenLink(), 0x800);
    scene.files.addFile("C:\\t\\encrypted.lnk", brokenLink(), 0x4000);
    scene.files.addFile("C:\\t\\hidden.lnk", brokenLink(), FILE_ATTRIBUTE_HIDDEN);
    scene.files.addFile("C:\\t\\system.lnk", brokenLink(), FILE_ATTRIBUTE_SYSTEM);
    scene.files.addFile("C:\\t\\readme.txt", "x");
    scene.files.addFile("C:\\t\\data.bin", "x");
    WalkFolder(scene.context, "C:\\t\\");
    EXPECT_EQ(scene.recorded(), (std::vector<std::string>{"C:\\t\\hidden.lnk", "C:\\t\\system.lnk"}));
    // Only names that can be shortcuts cost a look beyond the listing, and the folder one look
    // for a prefix's registry file.
    EXPECT_EQ(scene.files.filesRead, (std::vector<std::string>{"C:\\t\\hidden.lnk", "C:\\t\\system.lnk"}));
    EXPECT_EQ(scene.files.attributeReads, 5);
}

TEST(DriveWalk, HiddenAndSystemFoldersAreWalked)
{
    WalkContext scene;
    scene.files.addFolder("C:\\t\\h", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    scene.files.addFile("C:\\t\\h\\a.lnk", brokenLink());
    WalkFolder(scene.context, "C:\\t\\");
    EXPECT_EQ(scene.recorded(), std::vector<std::string>{"C:\\t\\h\\a.lnk"});
}

TEST(DriveWalk, DotEntriesAreNeitherWalkedNorChecked)
{
    WalkContext scene;
    scene.files.addFile("C:\\t\\s\\a.lnk", brokenLink());
    WalkFolder(scene.context, "C:\\t\\");
    EXPECT_EQ(listed(scene), (std::vector<std::string>{"C:\\t\\*", "C:\\t\\s\\*"}));
    EXPECT_EQ(scene.recorded(), std::vector<std::string>{"C:\\t\\s\\a.lnk"});
}

TEST(DriveWalk, LinkToAFolderIsListedButNotEntered)
{
    WalkContext scene;
    scene.files.addFolder("C:\\t\\loop", FILE_ATTRIBUTE_REPARSE_POINT);
    scene.files.addFile("C:\\t\\loop\\a.lnk", brokenLink());
    scene.files.addFolder("C:\\t\\shortcut.lnk", FILE_ATTRIBUTE_REPARSE_POINT);
    WalkFolder(scene.context, "C:\\t\\");
    EXPECT_EQ(listed(scene), std::vector<std::string>{"C:\\t\\*"});
    EXPECT_EQ(scene.model.lvwShortcut.count(), 0u);
}

TEST(DriveWalk, StaysOnTheFileSystemOfItsRoot)
{
    WalkContext scene;
    scene.files.defaultDevice = 7;
    scene.files.devices["C:\\mnt\\"] = 8;
    scene.files.addFile("C:\\mnt\\a.lnk", brokenLink());
    scene.files.addFile("C:\\home\\b.lnk", brokenLink());
    WalkDrive(scene.context, "C:\\");
    EXPECT_EQ(scene.recorded(), std::vector<std::string>{"C:\\home\\b.lnk"});
}

TEST(DriveWalk, NoFolderIsWalkedTwiceInAScan)
{
    WalkContext scene;
    scene.files.addDrive('D', DriveType::fixed);
    scene.files.addFile("C:\\a\\x.lnk", brokenLink());
    scene.files.addFolder("C:\\bind");
    scene.files.sameAs["C:\\bind\\"] = "C:\\a\\";
    scene.files.sameAs["D:\\"] = "C:\\a\\";
    WalkDrive(scene.context, "C:\\");
    WalkDrive(scene.context, "D:\\");
    EXPECT_EQ(scene.recorded(), std::vector<std::string>{"C:\\a\\x.lnk"});
    EXPECT_EQ(std::count(scene.files.patterns.begin(), scene.files.patterns.end(), "D:\\*"), 0);
    // The next scan starts afresh.
    scene.model.lvwShortcut.clear();
    WalkDrive(scene.context, "D:\\");
    EXPECT_EQ(scene.model.lvwShortcut.count(), 0u); // D: is C:\a, whose file was not copied there
    EXPECT_EQ(std::count(scene.files.patterns.begin(), scene.files.patterns.end(), "D:\\*"), 1);
}

TEST(DriveWalk, WinePrefixesAndTheBackupFolderAreNotEntered)
{
    WalkContext scene;
    scene.backend.set("txtBackup", "C:\\saved");
    scene.files.addFile("C:\\saved\\copy.lnk", brokenLink());
    scene.files.addFile("C:\\other\\system.reg", "x");
    scene.files.addFolder("C:\\other\\dosdevices");
    scene.files.addFile("C:\\other\\drive_c\\x.lnk", brokenLink());
    // A registry file alone does not make a prefix.
    scene.files.addFile("C:\\notes\\system.reg", "x");
    scene.files.addFile("C:\\notes\\y.lnk", brokenLink());
    WalkDrive(scene.context, "C:\\");
    EXPECT_EQ(scene.recorded(), std::vector<std::string>{"C:\\notes\\y.lnk"});
    ASSERT_TRUE(scene.model.lvwShortcut.at(1).identity.has_value());
    EXPECT_TRUE(scene.model.lvwShortcut.at(1).identity->sameFile(*scene.files.fileIdentity("C:\\notes\\y.lnk")));
}

// A folder that holds itself, without end, as a bind mount of a parent or a file system that
// lies would: the depth bound ends the walk.
class EndlessFileSystem : public test::NullFileSystem {
  public:
    FindHandle FindFirstFileA(std::string_view pattern, FindData* data, FindDetail) override
    {
        ++listings;
        longestPattern = std::max(longestPattern, pattern.size());
        m_next = 0;
        return FindNextFileA(1, data) ? 1 : INVALID_FIND_HANDLE;
    }
    bool FindNextFileA(FindHandle, FindData* data) override
    {
        static const char* const kNames[] = {".", "..", "d", "x.txt"};
        if (m_next >= 4)
            return false;
        data->fileName = kNames[m_next];
        data->attributes = m_next < 3 ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
        ++m_next;
        return true;
    }
    bool FindClose(FindHandle) override { return true; }
    bool GetVolumeInformationA(std::string_view, std::string*, std::uint32_t*, std::string*) override { return true; }

    std::size_t listings = 0;
    std::size_t longestPattern = 0;

  private:
    int m_next = 0;
};

TEST(DriveWalk, DepthIsBounded)
{
    test::TestContext scene;
    EndlessFileSystem files;
    ScanContext context{scene.registry, files, scene.settings, scene.clock, scene.host, scene.model};
    WalkDrive(context, "C:\\");
    EXPECT_EQ(files.listings, kMaxFolderDepth + 1);
    EXPECT_EQ(files.longestPattern, std::string("C:\\").size() + 2 * kMaxFolderDepth + 1);
}

TEST(DriveWalk, DisplayShowsTheShortFolderAndTheName)
{
    WalkContext scene;
    scene.files.addFile("C:\\Long Folder\\file.txt", "x");
    scene.files.setShortName("C:\\Long Folder\\", "C:\\LONGFO~1\\");
    WalkFolder(scene.context, "C:\\Long Folder");
    EXPECT_EQ(scene.model.lblRegistryScan, "C:\\LONGFO~1\\");
    EXPECT_EQ(scene.model.lblRegistryFilesScan, "file.txt");
}

// Cancelling at any yield ends the walk at its next test: at most the entry already being looked
// at still reaches the check, each level returns after at most one more yield, and every listing
// is closed.
TEST(DriveWalk, CancelAtAnyPointEndsEverything)
{
    auto build = [](WalkContext& scene) {
        for (const char* path : {"C:\\t\\a.lnk", "C:\\t\\b.lnk", "C:\\t\\s\\c.lnk", "C:\\t\\s\\u\\d.lnk",
                                 "C:\\t\\s\\e.lnk", "C:\\t\\v\\f.lnk"})
            scene.files.addFile(path, brokenLink());
    };
    WalkContext full;
    build(full);
    WalkFolder(full.context, "C:\\t\\");
    const std::uint64_t totalYields = full.host.yields;
    ASSERT_EQ(full.model.lvwShortcut.count(), 6u);
    for (std::uint64_t n = 1; n <= totalYields; ++n) {
        WalkContext scene;
        build(scene);
        std::size_t recordedAtCancel = 0;
        scene.host.atYield(n, [&] {
            scene.model.ScanCancelled = true;
            recordedAtCancel = scene.model.lvwShortcut.count();
        });
        WalkFolder(scene.context, "C:\\t\\");
        EXPECT_LE(scene.model.lvwShortcut.count(), recordedAtCancel + 1) << "cancelled at yield " << n;
        EXPECT_EQ(scene.files.openFindHandles(), 0) << "cancelled at yield " << n;
        EXPECT_LE(scene.host.yields, n + 3) << "cancelled at yield " << n; // one per level above
    }
}

TEST(DriveWalk, UnlistableFolderContributesNothing)
{
    WalkContext scene;
    scene.files.addFile("C:\\t\\locked\\a.lnk", brokenLink());
    scene.files.addFile("C:\\t\\open\\b.lnk", brokenLink());
    scene.files.makeSearchFail("C:\\t\\locked");
    WalkFolder(scene.context, "C:\\t\\");
    EXPECT_EQ(scene.recorded(), std::vector<std::string>{"C:\\t\\open\\b.lnk"});
    EXPECT_EQ(scene.files.openFindHandles(), 0);
}

} // namespace
} // namespace tessivar
