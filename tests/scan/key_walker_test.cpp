#include "checks/checks.h"
#include "engine/scan_context.h"
#include "scan/key_walker.h"
#include "settings/settings_store.h"
#include "support/fake_file_system.h"
#include "support/fake_host.h"
#include "support/fake_registry.h"
#include "support/memory_settings.h"
#include "support/null_platform.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace tessivar {
namespace {

using test::FakeRegistry;

constexpr const char* kRoot = "SOFTWARE\\Walk";
const std::string kHKLM = "HKEY_LOCAL_MACHINE";

struct WalkerTest : ::testing::Test {
    FakeRegistry registry;
    test::FakeFileSystem files;
    test::FixedClock clock;
    test::FakeHost host;
    test::MemorySettings backend;
    SettingsStore settings{backend};
    ScanModel model;
    ScanContext context{registry, files, settings, clock, host, model};
    // What the window showed at each yield: the key name, "|", the value data.
    std::vector<std::string> shown;

    void SetUp() override
    {
        host.onEveryYield(
            [this] { shown.push_back(model.lblRegistryScan.get() + "|" + model.lblRegistryFilesScan.get()); });
        model.lblStatus = " Help Files";
        model.cmdCancelOrStopEnabled = true;
    }
    void set(const std::string& path, const std::string& name, const std::string& data)
    {
        registry.setString(HKEY_LOCAL_MACHINE, path, name, data);
    }
    void walkTree(const std::string& scanner = "No Such Scanner")
    {
        WalkKeyTree(context, HKEY_LOCAL_MACHINE, kRoot, scanner, kHKLM);
    }
};

// Root values are not visited; each subkey shows its values, then its own subkeys; a yield
// follows every value and every subkey.
TEST_F(WalkerTest, TreeVisitsEachSubkeysValuesBeforeItsSubkeysAndSkipsTheStartKeysValues)
{
    set(kRoot, "root", "never shown");
    set(std::string(kRoot) + "\\A", "a1", "A one");
    set(std::string(kRoot) + "\\A", "a2", "A two");
    set(std::string(kRoot) + "\\A\\Deep", "d", "deep");
    set(std::string(kRoot) + "\\B", "", "B default");
    registry.makeKey(HKEY_LOCAL_MACHINE, std::string(kRoot) + "\\C");

    walkTree();

    const std::vector<std::string> expected{
        "A|A one",     "A|A two",     // A's values
        "Deep|deep",   "Deep|deep",   // Deep's value, then Deep done
        "Deep|deep",                  // A done
        "B|B default", "B|B default", // B's unnamed value, B done
        "C|B default",                // C has nothing
    };
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(registry.openHandleCount(), 0u);
}

TEST_F(WalkerTest, StartKeyWithValuesButNoSubkeysGivesNothing)
{
    set(kRoot, "x", "C:\\missing.dll");
    walkTree();
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(model.lblRegistryFilesScan, "");
}

TEST_F(WalkerTest, MissingStartKeyIsSilent)
{
    WalkKeyTree(context, HKEY_LOCAL_MACHINE, "SOFTWARE\\Nowhere", "Help Files", kHKLM);
    WalkKeyValues(context, HKEY_LOCAL_MACHINE, "SOFTWARE\\Nowhere", "Help Files", kHKLM);
    ListSubkeyNames(context, HKEY_LOCAL_MACHINE, "SOFTWARE\\Nowhere");
    EXPECT_EQ(host.yields, 0u);
    EXPECT_EQ(registry.openHandleCount(), 0u);
}

// A value whose name or data does not fit 255 bytes ends its key's walk: later values are not
// visited. The limit is 255 and not more.
TEST_F(WalkerTest, ValueTooLargeForTheBuffersEndsItsKeysWalk)
{
    struct Case {
        std::string name;
        std::string data;
        bool laterValuesVisited;
    };
    const std::vector<Case> cases{
        {"second", std::string(300, 'x'), false},
        {std::string(300, 'n'), "short", false},
        {"second", std::string(200, 'y'), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name.size() + c.data.size());
        FakeRegistry fresh;
        ScanContext local{fresh, files, settings, clock, host, model};
        fresh.setString(HKEY_LOCAL_MACHINE, kRoot, "first", "one");
        fresh.setString(HKEY_LOCAL_MACHINE, kRoot, c.name, c.data);
        fresh.setString(HKEY_LOCAL_MACHINE, kRoot, "third", "three");
        shown.clear();
        WalkKeyValues(local, HKEY_LOCAL_MACHINE, kRoot, "Help Files", kHKLM);
        std::vector<std::string> expected{"|one"};
        if (c.laterValuesVisited)
            expected = {"|one", "|" + c.data, "|three"};
        EXPECT_EQ(shown, expected);
        EXPECT_EQ(fresh.openHandleCount(), 0u);
    }
}

// Wine's prefixes link Wow6432Node keys back into the tree; a link is shown but never entered,
// so a link to an ancestor cannot make the walk run forever, and what it points at is not
// visited twice.
TEST_F(WalkerTest, RegistryLinkIsShownButNeitherItsValuesNorItsSubtreeAreWalked)
{
    set(std::string(kRoot) + "\\Real", "v", "real value");
    set(std::string(kRoot) + "\\Real\\Inner", "w", "inner value");
    registry.makeLink(HKEY_LOCAL_MACHINE, std::string(kRoot) + "\\Loop", HKEY_LOCAL_MACHINE, kRoot);
    registry.makeLink(HKEY_LOCAL_MACHINE, std::string(kRoot) + "\\Alias", HKEY_LOCAL_MACHINE,
                      std::string(kRoot) + "\\Real");

    walkTree();

    const std::vector<std::string> expected{
        "Real|real value",   "Inner|inner value", "Inner|inner value",
        "Inner|inner value", "Loop|inner value",  "Alias|inner value",
    };
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(registry.openHandleCount(), 0u);
}

TEST_F(WalkerTest, DeepNestingNeitherOverflowsNorLeaksAndHoldsOneKeyPerLevel)
{
    std::string path = kRoot;
    constexpr int kDepth = 1000;
    for (int i = 0; i < kDepth; ++i)
        path += "\\k";
    set(path, "leaf", "bottom");
    std::size_t mostOpen = 0;
    host.onEveryYield([&] { mostOpen = std::max(mostOpen, registry.openHandleCount()); });
    walkTree();
    EXPECT_EQ(model.lblRegistryFilesScan, "bottom");
    // Every level holds its key while the levels below are walked, and only that: at the
    // leaf's value, the start key and the 999 levels above the leaf, plus the leaf's value walk.
    EXPECT_EQ(mostOpen, static_cast<std::size_t>(kDepth) + 1);
    EXPECT_EQ(registry.openHandleCount(), 0u);
}

// Cancelling at any yield stops the walk there: no further step runs and every key is closed.
TEST_F(WalkerTest, CancelAtAnyYieldStopsAtOnceAndClosesEveryKey)
{
    for (const char* sub : {"\\A", "\\A\\A1", "\\A\\A1\\A2", "\\B", "\\B\\B1", "\\C"}) {
        set(std::string(kRoot) + sub, "v1", std::string("one") + sub);
        set(std::string(kRoot) + sub, "v2", std::string("two") + sub);
    }
    walkTree();
    const std::uint64_t total = host.yields;
    ASSERT_GT(total, 10u);

    for (std::uint64_t n = 1; n <= total; ++n) {
        SCOPED_TRACE(n);
        host.resetCounts();
        model.ScanCancelled = false;
        host.cancelAtYield(n, model);
        walkTree();
        EXPECT_EQ(host.yields, n);
        EXPECT_EQ(registry.openHandleCount(), 0u);
    }
}

TEST_F(WalkerTest, CancelledValueWalkVisitsNothing)
{
    set(kRoot, "a", "one");
    model.ScanCancelled = true;
    WalkKeyValues(context, HKEY_LOCAL_MACHINE, kRoot, "Help Files", kHKLM);
    EXPECT_EQ(host.yields, 0u);
    EXPECT_EQ(model.lblRegistryFilesScan, "");
    EXPECT_EQ(registry.openHandleCount(), 0u);
}

TEST_F(WalkerTest, SubkeyNamesAreShownUntilTheCancelButtonIsDisabled)
{
    for (const char* name : {"{1}", "{2}", "{3}", "{4}"})
        set(std::string(kRoot) + "\\" + name, "", "x");
    ListSubkeyNames(context, HKEY_LOCAL_MACHINE, kRoot);
    // Each name, then the failed enumeration past the end, each followed by a yield.
    EXPECT_EQ(shown, (std::vector<std::string>{"{1}|", "{2}|", "{3}|", "{4}|", "{4}|"}));
    EXPECT_EQ(registry.openHandleCount(), 0u);

    // This pass watches the button, not the flag.
    shown.clear();
    host.resetCounts();
    host.atYield(2, [this] { model.cmdCancelOrStopEnabled = false; });
    ListSubkeyNames(context, HKEY_LOCAL_MACHINE, kRoot);
    EXPECT_EQ(shown, (std::vector<std::string>{"{1}|", "{2}|"}));
    EXPECT_EQ(registry.openHandleCount(), 0u);
}

// The configuration-files section walks with the scanner name "Application Paths" but checks
// nothing: the driver says so for the section.
TEST_F(WalkerTest, WalkThatOnlyShowsDispatchesNothing)
{
    set(std::string(kRoot) + "\\App", "", "C:\\gone\\gone.exe");
    for (const auto& [checks, rows] : {std::pair{ValueChecks::none, 0u}, std::pair{ValueChecks::run, 1u}}) {
        model.lvwErrors.clear();
        WalkKeyTree(context, HKEY_LOCAL_MACHINE, kRoot, "Application Paths", kHKLM, checks);
        EXPECT_EQ(model.lvwErrors.count(), rows);
    }
}

TEST_F(WalkerTest, UnnamedValueIsDispatchedAndRecordedAsDefault)
{
    set(std::string(kRoot) + "\\Drivers", "", "C:\\gone\\gone.vxd");
    walkTree("VxD Section");
    ASSERT_EQ(model.lvwErrors.count(), 1u);
    const ProblemEntry& row = model.lvwErrors.at(1);
    EXPECT_EQ(row.KeyName, "(Default)");
    EXPECT_EQ(row.KeyValue, "C:\\gone\\gone.vxd");
    EXPECT_EQ(row.RegistryScanners, "VxD Section");
    EXPECT_EQ(row.FullKeyPath, std::string(kRoot) + "\\Drivers");
    EXPECT_EQ(row.mainkeyname, "HKEY_LOCAL_MACHINE");
    EXPECT_EQ(row.MainKey, "-2147483646");
    EXPECT_EQ(model.lblProblemsFound, "1");
}

// A name with a zero character in it is read by name, which stops at that character: the text
// shown is that of the value named by the part before it.
TEST_F(WalkerTest, ANameHoldingAZeroCharacterShowsTheValueItsReadByNameFinds)
{
    const std::string path = std::string(kRoot) + "\\Zero";
    set(path, "a", "first");
    set(path, std::string("a\0b", 3), "second");
    set(path, std::string("c\0d", 3), "third");
    walkTree();
    const std::vector<std::string> expected = {"Zero|first", "Zero|first", "Zero|", "Zero|"};
    EXPECT_EQ(shown, expected);
}

TEST_F(WalkerTest, UnknownScannerNameAndCancelledScanDispatchNothing)
{
    const auto dispatch = [&](const std::string& scanner) {
        DispatchValue(context, CheckForScanner(scanner), "C:\\gone\\gone.vxd", scanner, "v", HKEY_LOCAL_MACHINE, kHKLM,
                      "k");
    };
    dispatch("VxD section");
    EXPECT_EQ(model.lvwErrors.count(), 0u);
    model.ScanCancelled = true;
    dispatch("VxD Section");
    EXPECT_EQ(model.lvwErrors.count(), 0u);
    model.ScanCancelled = false;
    dispatch("VxD Section");
    EXPECT_EQ(model.lvwErrors.count(), 1u);
}

// Cancelling while a check runs (here: while its detection sound starts) ends the key's walk
// right after that check; the next value is not visited.
TEST_F(WalkerTest, CancelDuringACheckStopsBeforeTheNextValue)
{
    class CancellingHost : public test::FakeHost {
      public:
        explicit CancellingHost(ScanModel& m) : model(m) {}
        bool playSoundAsync(const std::string&) override
        {
            model.ScanCancelled = true;
            return true;
        }
        ScanModel& model;
    } cancelling(model);
    ScanContext local{registry, files, settings, clock, cancelling, model};
    files.addFile("C:\\sounds\\ding.wav");
    backend.set("chkPlaySound", "1");
    backend.set("txtWaveFilesPath", "C:\\sounds\\ding.wav");
    set(kRoot, "first", "C:\\gone\\first.vxd");
    set(kRoot, "second", "C:\\gone\\second.vxd");
    WalkKeyValues(local, HKEY_LOCAL_MACHINE, kRoot, "VxD Section", kHKLM);
    ASSERT_EQ(model.lvwErrors.count(), 1u);
    EXPECT_EQ(model.lvwErrors.at(1).KeyName, "first");
    EXPECT_EQ(model.lblRegistryFilesScan, "C:\\gone\\first.vxd");
    EXPECT_EQ(cancelling.yields, 0u);
    EXPECT_EQ(registry.openHandleCount(), 0u);
}

TEST(DispatchTable, ScannerNamesSelectTheirChecksExactly)
{
    struct Case {
        const char* scanner;
        RegistryCheck check;
    };
    const Case cases[] = {
        {"ActiveX \\ COM", &CheckActiveX},
        {"ActiveX \\ COM Subsections", &CheckActiveX},
        {"Application Paths", &CheckApplicationPath},
        {"Help Files", &CheckHelpFile},
        {"Microsoft Shared", &CheckSharedFile},
        {"Windows Startup", &CheckStartup},
        {"Uninstall Section", &CheckUninstall},
        {"VxD Section", &CheckVirtualDevice},
        {"Windows Fonts", &CheckFont},
        {"activex \\ com", nullptr},
        {"ActiveX \\COM", nullptr},
        {"Help Files ", nullptr},
        {"Windows Shortcut", nullptr},
        {"", nullptr},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CheckForScanner(c.scanner), c.check) << '"' << c.scanner << '"';
}

} // namespace
} // namespace tessivar
