#include "platform/wine/on_demand_registry.h"
#include "support/fake_registry.h"
#include "support/temp_prefix.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <thread>

namespace tessivar::wine {
namespace {

using test::FakeRegistry;

TEST(OnDemandRegistry, ReadsAtFirstUseAndLetsGoOnlyWhenNothingIsOpen)
{
    int opens = 0;
    OnDemandRegistry registry([&] {
        ++opens;
        auto fake = std::make_unique<FakeRegistry>();
        fake->setString(HKEY_LOCAL_MACHINE, "Software\\A", "v", "x");
        return fake;
    });
    EXPECT_EQ(opens, 0);
    HKEY key = 0;
    ASSERT_EQ(registry.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\A", 0, KEY_READ, &key), ERROR_SUCCESS);
    EXPECT_EQ(opens, 1);
    EXPECT_FALSE(registry.release()) << "a key is open";
    registry.RegCloseKey(key);

    registry.beginBatch();
    EXPECT_FALSE(registry.release()) << "writes are pending";
    registry.endBatch(nullptr);
    EXPECT_TRUE(registry.release());
    EXPECT_FALSE(registry.holdsRegistry());

    EXPECT_EQ(registry.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Missing", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(opens, 2) << "read again after a release";
    EXPECT_TRUE(registry.release()) << "a failed open holds nothing";
}

// The desktop program reaches its registry only through this one: a scan must hear that the files
// cannot be read, and a repair must hold the lock every other writer of the prefix holds.
TEST(OnDemandRegistry, PassesOnWhetherItCouldReadAndTheLockOfWhatItRead)
{
    FakeRegistry* read = nullptr;
    OnDemandRegistry registry([&] {
        auto fake = std::make_unique<FakeRegistry>();
        fake->refuseReads("system.reg is empty");
        read = fake.get();
        return fake;
    });
    std::string why;
    EXPECT_FALSE(registry.canRead(&why));
    EXPECT_EQ(why, "system.reg is empty");

    PrefixLockScope held(registry.prefixLock());
    ASSERT_TRUE(held.held());
    EXPECT_EQ(read->lock.depth, 1);
    EXPECT_FALSE(registry.release()) << "the lock is held";
    held.release();
    EXPECT_EQ(read->lock.depth, 0);
    EXPECT_TRUE(registry.release());
}

// A window passes through its event loop while a large registry is read for a scan.
TEST(OnDemandRegistry, ReadsForAScanAndLetsGoAsideWhileThePassRuns)
{
    std::atomic<int> passes = 0;
    OnDemandRegistry registry([&] {
        // Done only once the program went on passing meanwhile (or after five seconds).
        for (int waited = 0; passes < 3 && waited < 5000; ++waited)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return std::make_unique<FakeRegistry>();
    });
    registry.setWhileReading([&] { ++passes; });
    EXPECT_TRUE(registry.canRead(nullptr));
    EXPECT_GE(passes, 3);
    EXPECT_TRUE(registry.holdsRegistry());
    EXPECT_TRUE(registry.release()) << "taken apart aside";
    EXPECT_FALSE(registry.holdsRegistry());
    registry.settle();
}

TEST(CachedDriveTypeReader, ReadsTheSettingsAgainOnlyWhenSystemRegChanges)
{
    const test::TempPrefix prefix;
    const auto writeDrives = [&](const std::string& type) {
        prefix.write("system.reg", "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n\n"
                                   "#arch=win64\n\n[Software\\\\Wine\\\\Drives] 1700000000\n\"d:\"=\"" +
                                       type + "\"\n");
    };
    writeDrives("cdrom");
    const DriveTypeReader read = cachedDriveTypeReader(prefix.path());
    EXPECT_EQ(read('d'), "cdrom");
    EXPECT_EQ(read('e'), "");

    writeDrives("network"); // one byte longer, so the change shows even within the same second
    EXPECT_EQ(read('d'), "network");
    EXPECT_EQ(read('!'), "");
}

} // namespace
} // namespace tessivar::wine
