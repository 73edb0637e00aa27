// The walk over a real folder tree in a hand-made prefix: symbolic-link loops, a link to "/",
// an unreadable folder and a very deep chain of folders.

#include "checks/drive_walk.h"
#include "engine/scan_context.h"
#include "platform/wine/wine_file_system.h"
#include "settings/settings_store.h"
#include "support/fake_host.h"
#include "support/memory_settings.h"
#include "support/null_platform.h"
#include "support/shell_link_builder.h"
#include "support/temp_dir.h"

#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace tessivar {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kDeepLevels = 2000;

std::string brokenLink()
{
    test::LinkDesign design;
    design.idListPath = "C:\\gone\\gone.exe";
    return test::BuildShellLink(design);
}

void writeFile(const fs::path& path, const std::string& bytes)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

class PrefixWalkTest : public testing::Test {
  protected:
    void SetUp() override
    {
        m_prefix = m_temp.path() / "prefix";
        const fs::path driveC = m_prefix / "drive_c";
        const fs::path zRoot = m_temp.path() / "zroot";
        fs::create_directories(m_prefix / "dosdevices");
        fs::create_directories(zRoot);
        fs::create_directory_symlink("../drive_c", m_prefix / "dosdevices" / "c:");
        fs::create_directory_symlink(zRoot, m_prefix / "dosdevices" / "z:");

        const std::string link = brokenLink();
        writeFile(driveC / "tree" / "a.lnk", link);
        fs::create_directory_symlink("..", driveC / "tree" / "loop");
        writeFile(driveC / "tree" / "sub" / "b.lnk", link);
        fs::create_directory_symlink(driveC / "tree", driveC / "tree" / "sub" / "back");
        fs::create_symlink(driveC / "tree" / "a.lnk", driveC / "tree" / "sub" / "alias.lnk");
        writeFile(driveC / "locked" / "c.lnk", link);
        fs::permissions(driveC / "locked", fs::perms::none);

        writeFile(zRoot / "z.lnk", link);
        fs::create_directory_symlink("/", zRoot / "root");
    }

    void TearDown() override
    {
        std::error_code ignored;
        fs::permissions(m_prefix / "drive_c" / "locked", fs::perms::owner_all, ignored);
        // Deeper than PATH_MAX: only descriptor-relative calls reach the bottom.
        const int folder = ::open((m_prefix / "drive_c").c_str(), O_RDONLY | O_DIRECTORY);
        if (folder >= 0) {
            removeTree(folder, "deep");
            ::close(folder);
        }
    }

    // kDeepLevels folders "d" below `base`, with a broken shortcut at some levels. The Unix path
    // of the bottom is longer than PATH_MAX, so the chain is made one level at a time.
    void makeChain(const fs::path& base, const std::string& link)
    {
        int folder = ::open(base.c_str(), O_RDONLY | O_DIRECTORY);
        ASSERT_GE(folder, 0);
        for (std::size_t level = 1; level <= kDeepLevels && folder >= 0; ++level) {
            ::mkdirat(folder, "d", 0755);
            const int next = ::openat(folder, "d", O_RDONLY | O_DIRECTORY);
            ::close(folder);
            folder = next;
            if (level == 1 || level == 1000 || level == kDeepLevels) {
                m_deepLinks.push_back(level);
                const int file = ::openat(folder, "x.lnk", O_WRONLY | O_CREAT | O_TRUNC, 0644);
                ASSERT_GE(file, 0);
                ASSERT_EQ(::write(file, link.data(), link.size()), static_cast<ssize_t>(link.size()));
                ::close(file);
            }
        }
        ASSERT_GE(folder, 0);
        ::close(folder);
    }

    static void removeTree(int parent, const char* name)
    {
        const int folder = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
        if (folder < 0)
            return;
        if (DIR* listing = ::fdopendir(folder)) {
            std::vector<std::pair<std::string, bool>> entries;
            while (const dirent* entry = ::readdir(listing)) {
                const std::string entryName = entry->d_name;
                if (entryName != "." && entryName != "..")
                    entries.emplace_back(entryName, entry->d_type == DT_DIR);
            }
            for (const auto& [entryName, isFolder] : entries) {
                if (isFolder)
                    removeTree(::dirfd(listing), entryName.c_str());
                else
                    ::unlinkat(::dirfd(listing), entryName.c_str(), 0);
            }
            ::closedir(listing);
        } else {
            ::close(folder);
        }
        ::unlinkat(parent, name, AT_REMOVEDIR);
    }

    std::vector<std::string> walk(const std::string& root)
    {
        wine::WineFileSystem files(m_prefix);
        test::NullRegistry registry;
        test::FixedClock clock;
        test::FakeHost host;
        test::MemorySettings backend;
        SettingsStore settings(backend);
        ScanModel model;
        ScanContext context{registry, files, settings, clock, host, model};
        {
            FileOperationScope scope(files);
            WalkDrive(context, root);
        }
        std::vector<std::string> paths;
        for (const auto& entry : model.lvwShortcut)
            paths.push_back(entry.path);
        return paths;
    }

    test::TempDir m_temp;
    fs::path m_prefix;
    std::vector<std::size_t> m_deepLinks;
};

TEST_F(PrefixWalkTest, EndsAndReportsEveryBrokenShortcutOnce)
{
    fs::create_directories(m_prefix / "drive_c" / "deep");
    makeChain(m_prefix / "drive_c" / "deep", brokenLink());
    const std::vector<std::string> found = walk("C:\\");
    std::vector<std::string> expected = {"C:\\tree\\a.lnk", "C:\\tree\\sub\\alias.lnk", "C:\\tree\\sub\\b.lnk"};
    // Permissions do not stop the superuser; anyone else finds the locked folder unreadable.
    if (::geteuid() == 0)
        expected.push_back("C:\\locked\\c.lnk");
    for (std::size_t level : m_deepLinks) {
        std::string path = "C:\\deep\\";
        for (std::size_t i = 0; i < level; ++i)
            path += "d\\";
        expected.push_back(path + "x.lnk");
    }
    std::vector<std::string> sortedFound = found;
    std::sort(sortedFound.begin(), sortedFound.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(sortedFound, expected);
}

TEST_F(PrefixWalkTest, DriveMappedToAFolderWithALinkToTheRootStaysInIt)
{
    EXPECT_EQ(walk("Z:\\"), std::vector<std::string>{"Z:\\z.lnk"});
}

TEST_F(PrefixWalkTest, DriveWithoutItsFolderIsNotWalked)
{
    fs::create_directory_symlink(m_temp.path() / "nowhere", m_prefix / "dosdevices" / "q:");
    EXPECT_TRUE(walk("Q:\\").empty());
}

} // namespace
} // namespace tessivar
