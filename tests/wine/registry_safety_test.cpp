// What must never happen to a prefix's registry files: a write while Wine runs, over a file that
// changed meanwhile or did not parse, or a torn file after a crash.

#include "platform/wine/atomic_file.h"
#include "platform/wine/server_lock.h"
#include "platform/wine/wine_registry.h"
#include "support/temp_dir.h"

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tessivar::wine {
namespace {

const std::string kHead = "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n\n#arch=win64\n";
const std::string kSystem = kHead + "\n[Software\\\\App] 1700000000\n#time=1da1747c66d0000\n\"Keep\"=\"me\"\n";

// Holds the write lock a running Wine server holds, at one of the places it keeps it.
class HeldServerLock {
  public:
    explicit HeldServerLock(const std::filesystem::path& lockPath) : m_folder(lockPath.parent_path())
    {
        // Made as Wine makes them (mode 0700), so that a real Wine started later accepts them.
        ::mkdir(m_folder.parent_path().c_str(), 0700);
        ::mkdir(m_folder.c_str(), 0700);
        m_fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        struct flock lock {};
        lock.l_type = F_WRLCK;
        lock.l_whence = SEEK_SET;
        lock.l_start = 0;
        lock.l_len = 1;
        // An open-file-description lock conflicts even with a query from this same process.
        m_held = m_fd >= 0 && ::fcntl(m_fd, F_OFD_SETLK, &lock) == 0;
    }
    ~HeldServerLock()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }
    bool held() const { return m_held; }

  private:
    std::filesystem::path m_folder;
    int m_fd = -1;
    bool m_held = false;
};

class RegistrySafetyTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        m_temp.write("prefix/system.reg", kSystem);
        m_temp.write("prefix/user.reg", kHead);
    }
    std::filesystem::path prefix() const { return m_temp.path() / "prefix"; }
    std::string system() const { return m_temp.read("prefix/system.reg"); }

    static LSTATUS setText(Registry& registry, HKEY root, const char* path, const char* name, const std::string& text)
    {
        HKEY key = 0;
        if (const LSTATUS status = registry.RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, &key, nullptr);
            status != ERROR_SUCCESS)
            return status;
        const LSTATUS status =
            registry.RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const std::uint8_t*>(text.c_str()),
                                    static_cast<std::uint32_t>(text.size() + 1));
        registry.RegCloseKey(key);
        return status;
    }

    static bool hasValue(Registry& registry, const char* path, const char* name)
    {
        HKEY key = 0;
        if (registry.RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
            return false;
        std::uint32_t size = 0;
        const bool found = registry.RegQueryValueExA(key, name, nullptr, nullptr, &size) == ERROR_SUCCESS;
        registry.RegCloseKey(key);
        return found;
    }

    // Every kind of write is refused, and neither the file nor what reads see has changed.
    void expectEveryWriteRefused(WineRegistry& registry, const std::string& expectedReason)
    {
        std::string why;
        EXPECT_FALSE(registry.canWrite(&why));
        EXPECT_NE(why.find(expectedReason), std::string::npos) << why;
        EXPECT_EQ(setText(registry, HKEY_LOCAL_MACHINE, "Software\\App", "New", "x"), ERROR_ACCESS_DENIED);
        EXPECT_NE(registry.lastWriteError().find(expectedReason), std::string::npos) << registry.lastWriteError();
        EXPECT_EQ(setText(registry, HKEY_LOCAL_MACHINE, "Software\\Fresh", "New", "x"), ERROR_ACCESS_DENIED);
        HKEY key = 0;
        ASSERT_EQ(registry.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\App", 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
        EXPECT_EQ(registry.RegDeleteValueA(key, "Keep"), ERROR_ACCESS_DENIED);
        EXPECT_EQ(registry.setRawValue(key, "Raw", REG_BINARY, std::vector<std::uint8_t>{1}), ERROR_ACCESS_DENIED);
        registry.RegCloseKey(key);
        EXPECT_EQ(registry.RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\App"), ERROR_ACCESS_DENIED);
        EXPECT_EQ(registry.RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\App"), ERROR_ACCESS_DENIED);
        EXPECT_FALSE(hasValue(registry, "Software\\App", "New"));
        EXPECT_FALSE(hasValue(registry, "Software\\Fresh", "New"));
        EXPECT_TRUE(hasValue(registry, "Software\\App", "Keep"));
    }

    test::TempDir m_temp;
};

TEST_F(RegistrySafetyTest, HeldServerLockInEitherPlaceRefusesEveryWrite)
{
    m_temp.write("prefix/wineserver", "wine-tessivartest\n");
    const char* oldTmp = std::getenv("TMPDIR");
    const std::string savedTmp = oldTmp ? oldTmp : "";
    ::setenv("TMPDIR", m_temp.path().c_str(), 1);
    const auto locks = serverLockPaths(prefix());
    ASSERT_EQ(locks.size(), 2u);
    EXPECT_EQ(locks[1].parent_path().parent_path(), m_temp.path() / "wine-tessivartest");
    for (const auto& lockPath : locks) {
        SCOPED_TRACE(lockPath.string());
        WineRegistry registry(prefix());
        {
            HeldServerLock lock(lockPath);
            ASSERT_TRUE(lock.held());
            EXPECT_TRUE(isServerRunning(prefix()));
            expectEveryWriteRefused(registry, std::string(kWineRunningMessage));
            registry.beginBatch();
            EXPECT_EQ(setText(registry, HKEY_LOCAL_MACHINE, "Software\\App", "New", "x"), ERROR_ACCESS_DENIED);
            EXPECT_TRUE(registry.endBatch(nullptr));
        }
        EXPECT_EQ(system(), kSystem);
        // The lock file stays behind when a server exits; without the lock, writing is fine again.
        EXPECT_FALSE(isServerRunning(prefix()));
        EXPECT_EQ(setText(registry, HKEY_LOCAL_MACHINE, "Software\\App", "New", "x"), ERROR_SUCCESS);
        m_temp.write("prefix/system.reg", kSystem);
    }
    if (oldTmp)
        ::setenv("TMPDIR", savedTmp.c_str(), 1);
    else
        ::unsetenv("TMPDIR");
}

TEST_F(RegistrySafetyTest, ServerStartingDuringABatchMakesTheWholeBatchRefuseAndRollBack)
{
    WineRegistry registry(prefix());
    registry.beginBatch();
    ASSERT_EQ(setText(registry, HKEY_LOCAL_MACHINE, "Software\\App", "New", "x"), ERROR_SUCCESS);
    ASSERT_EQ(setText(registry, HKEY_CURRENT_USER, "Software\\Mine", "New", "x"), ERROR_SUCCESS);
    HeldServerLock lock(serverLockPaths(prefix()).front());
    ASSERT_TRUE(lock.held());
    std::string why;
    EXPECT_FALSE(registry.endBatch(&why));
    EXPECT_EQ(why, kWineRunningMessage);
    EXPECT_EQ(system(), kSystem);
    EXPECT_EQ(m_temp.read("prefix/user.reg"), kHead);
    EXPECT_FALSE(hasValue(registry, "Software\\App", "New"));
}

TEST_F(RegistrySafetyTest, FileChangedOnDiskGetsTheChangeAppliedToItsNewContent)
{
    WineRegistry registry(prefix());
    const std::string theirs = kSystem + "\n[Software\\\\Theirs] 1700000001\n#time=1da1747c6606a80\n\"By\"=\"wine\"\n";
    m_temp.write("prefix/system.reg", theirs);
    ASSERT_EQ(setText(registry, HKEY_LOCAL_MACHINE, "Software\\App", "Ours", "x"), ERROR_SUCCESS);
    const std::string saved = system();
    EXPECT_NE(saved.find("\"By\"=\"wine\""), std::string::npos) << saved;
    EXPECT_NE(saved.find("\"Ours\"=\"x\""), std::string::npos) << saved;
    EXPECT_TRUE(hasValue(registry, "Software\\Theirs", "By"));
}

TEST_F(RegistrySafetyTest, FileChangedOnDiskSoThatTheChangeNoLongerFitsIsLeftAlone)
{
    WineRegistry registry(prefix());
    registry.beginBatch();
    ASSERT_EQ(setText(registry, HKEY_LOCAL_MACHINE, "Software\\App", "Ours", "x"), ERROR_SUCCESS);
    const std::string theirs = kHead + "\n[Software\\\\Other] 1700000001\n#time=1da1747c6606a80\n";
    m_temp.write("prefix/system.reg", theirs);
    std::string why;
    EXPECT_FALSE(registry.endBatch(&why));
    EXPECT_NE(why.find("system.reg changed on disk"), std::string::npos) << why;
    EXPECT_EQ(system(), theirs);

    // A file that another program broke meanwhile is not overwritten either.
    WineRegistry second(prefix());
    m_temp.write("prefix/system.reg", kHead + "\n[Software\\\\App] 1\n\"bad\"=hex: 01\n");
    EXPECT_EQ(setText(second, HKEY_LOCAL_MACHINE, "Software\\Other", "Ours", "x"), ERROR_ACCESS_DENIED);
    EXPECT_NE(second.lastWriteError().find("system.reg line 7"), std::string::npos) << second.lastWriteError();
    EXPECT_EQ(system(), kHead + "\n[Software\\\\App] 1\n\"bad\"=hex: 01\n");
}

TEST_F(RegistrySafetyTest, MalformedFileReadsButRefusesWritesNamingFileAndLine)
{
    const std::string broken = kSystem + "\"Unterminated\"=\"abc\n\"After\"=dword:00000001\n";
    m_temp.write("prefix/system.reg", broken);
    WineRegistry registry(prefix());
    EXPECT_TRUE(hasValue(registry, "Software\\App", "Keep"));
    EXPECT_TRUE(hasValue(registry, "Software\\App", "After"));
    expectEveryWriteRefused(registry, "system.reg line 9: Malformed value");
    EXPECT_EQ(system(), broken);
    // The other files stay writable.
    EXPECT_EQ(setText(registry, HKEY_CURRENT_USER, "Software\\Mine", "v", "x"), ERROR_SUCCESS);
    EXPECT_EQ(system(), broken);
}

TEST_F(RegistrySafetyTest, UnknownArchitectureAndMismatchedArchitectureRefuseWrites)
{
    m_temp.write("prefix/user.reg", "WINE REGISTRY Version 2\n;; c\n\n#arch=win32\n");
    WineRegistry registry(prefix());
    EXPECT_EQ(setText(registry, HKEY_CURRENT_USER, "Software\\Mine", "v", "x"), ERROR_ACCESS_DENIED);
    EXPECT_NE(registry.lastWriteError().find("user.reg line 1"), std::string::npos) << registry.lastWriteError();
    // Still refused after the first refusal put the file back to what was read.
    EXPECT_EQ(setText(registry, HKEY_CURRENT_USER, "Software\\Mine", "v", "x"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(m_temp.read("prefix/user.reg"), "WINE REGISTRY Version 2\n;; c\n\n#arch=win32\n");
}

TEST_F(RegistrySafetyTest, SymlinkedFileIsWrittenThroughAndKeepsItsMode)
{
    const auto real = m_temp.write("elsewhere/system.reg", kSystem);
    std::filesystem::remove(prefix() / "system.reg");
    std::filesystem::create_symlink("../elsewhere/system.reg", prefix() / "system.reg");
    ::chmod(real.c_str(), 0640);
    WineRegistry registry(prefix());
    ASSERT_EQ(setText(registry, HKEY_LOCAL_MACHINE, "Software\\App", "New", "x"), ERROR_SUCCESS);
    EXPECT_TRUE(std::filesystem::is_symlink(prefix() / "system.reg"));
    EXPECT_NE(m_temp.read("elsewhere/system.reg").find("\"New\"=\"x\""), std::string::npos);
    struct stat info {};
    ASSERT_EQ(::stat(real.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    // Nothing is left beside it.
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(real.parent_path()))
        ++entries;
    EXPECT_EQ(entries, 1);
}

TEST_F(RegistrySafetyTest, SaverKilledAtAnyMomentLeavesTheOldOrTheNewFile)
{
    // Big enough that the kill often lands while the file is being written.
    std::string oldText = kHead;
    std::string newText = kHead;
    for (int i = 0; i < 20000; ++i) {
        oldText += "\n[Key" + std::to_string(i) + "] 1700000000\n\"v\"=\"old old old old old\"\n";
        newText += "\n[Key" + std::to_string(i) + "] 1700000000\n\"v\"=\"new\"\n";
    }
    const auto path = m_temp.write("crash/system.reg", oldText);
    std::mt19937 random(12345);
    std::uniform_int_distribution<int> delay(0, 20000);
    int sawNew = 0;
    int killedMidWrite = 0; // killed with its temporary file written but not yet renamed
    // At least 30 rounds, and more until one kill has landed in the middle of a save.
    for (int round = 0; round < 30 || (killedMidWrite == 0 && round < 300); ++round) {
        const bool startOld = round % 2 == 0;
        m_temp.write("crash/system.reg", startOld ? oldText : newText);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            replaceFileAtomically(path, startOld ? newText : oldText);
            ::_exit(0);
        }
        ::usleep(static_cast<useconds_t>(delay(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        const std::string now = m_temp.read("crash/system.reg");
        ASSERT_TRUE(now == oldText || now == newText)
            << "torn file after round " << round << ", " << now.size() << " bytes";
        sawNew += (now == (startOld ? newText : oldText));
        bool leftover = false;
        for (const auto& entry : std::filesystem::directory_iterator(path.parent_path())) {
            if (entry.path() != path) {
                leftover = true;
                std::filesystem::remove(entry.path()); // a killed saver may leave its temporary file
            }
        }
        killedMidWrite += WIFSIGNALED(status) && leftover ? 1 : 0;
    }
    EXPECT_GE(killedMidWrite, 1) << "no kill landed while a save was being written";
    RecordProperty("completedSaves", sawNew);
}

} // namespace
} // namespace tessivar::wine
