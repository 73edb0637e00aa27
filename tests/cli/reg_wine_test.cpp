// tessivar-cli reg against Wine's own reg.exe on a copy of a real prefix: the same keys must
// print the same text, export the same file, and what our `reg add` writes must be what Wine
// reads.

#include "support/temp_dir.h"

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <sys/wait.h>

namespace tessivar::cli {
namespace {

namespace fs = std::filesystem;

struct Output {
    int code = -1;
    std::string text; // stdout, then what stderr says after the prefix announcement
};

std::string shellQuoted(std::string_view text)
{
    std::string out = "'";
    for (const char c : text) {
        if (c == '\'')
            out += "'\\''";
        else
            out.push_back(c);
    }
    return out + "'";
}

std::string readFile(const fs::path& path)
{
    std::ifstream stream(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

std::string withoutCarriageReturns(std::string text)
{
    std::erase(text, '\r');
    return text;
}

// Where two outputs part, for a readable failure message.
std::string firstDifference(const std::string& mine, const std::string& theirs)
{
    std::size_t line = 1;
    std::size_t start = 0;
    for (std::size_t i = 0; i < std::min(mine.size(), theirs.size()); ++i) {
        if (mine[i] != theirs[i])
            break;
        if (mine[i] == '\n') {
            ++line;
            start = i + 1;
        }
    }
    const auto lineAt = [&](const std::string& text) { return text.substr(start, text.find('\n', start) - start); };
    return "line " + std::to_string(line) + ": ours \"" + lineAt(mine) + "\", Wine's \"" + lineAt(theirs) + "\"";
}

int shell(const std::string& command)
{
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class RegAgainstWine : public ::testing::Test {
  protected:
    static void SetUpTestSuite()
    {
        const char* source = std::getenv("TESSIVAR_TEST_WINEPREFIX");
        if (!source || !*source) {
            s_skip = "TESSIVAR_TEST_WINEPREFIX is not set";
            return;
        }
        if (shell("command -v wine >/dev/null 2>&1 && command -v wineserver >/dev/null 2>&1") != 0) {
            s_skip = "Wine is not installed";
            return;
        }
        s_dir = std::make_unique<test::TempDir>();
        s_prefix = s_dir->path() / "prefix";
        std::error_code error;
        fs::copy(source, s_prefix, fs::copy_options::recursive | fs::copy_options::copy_symlinks, error);
        if (error) {
            s_skip = "cannot copy the test prefix: " + error.message();
            return;
        }
        // The first start of Wine rewrites device keys; let that happen before anything is compared.
        wine({"query", "HKCU\\Environment"});
        stopWine();
    }

    static void TearDownTestSuite()
    {
        if (s_dir)
            stopWine();
        s_dir.reset();
    }

    void SetUp() override
    {
        if (!s_skip.empty())
            GTEST_SKIP() << s_skip;
    }

    static std::string environment() { return "WINEPREFIX=" + shellQuoted(s_prefix.string()) + " WINEDEBUG=-all "; }

    static std::string argumentsOf(const std::vector<std::string>& args)
    {
        std::string text;
        for (const auto& arg : args)
            text += " " + shellQuoted(arg);
        return text;
    }

    // Wine's helper processes keep inherited pipes open, so output always goes through files.
    static Output run(const std::string& command)
    {
        const fs::path out = s_dir->path() / "out.txt";
        const fs::path err = s_dir->path() / "err.txt";
        Output result;
        result.code =
            shell(command + " >" + shellQuoted(out.string()) + " 2>" + shellQuoted(err.string()) + " </dev/null");
        result.text = withoutCarriageReturns(readFile(out));
        std::string errors = readFile(err);
        if (errors.starts_with("tessivar-cli: Wine prefix"))
            errors.erase(0, errors.find('\n') + 1);
        result.text += errors;
        return result;
    }

    // Wine's own reg now and then crashes on a loaded machine ("wine: Unhandled page fault"); that
    // run says nothing about our output, so it is asked again, a few times at most.
    static Output wine(const std::vector<std::string>& args)
    {
        Output result = run(environment() + "wine reg" + argumentsOf(args));
        for (int retry = 0; retry < 3 && wineCrashed(result); ++retry)
            result = run(environment() + "wine reg" + argumentsOf(args));
        return result;
    }

    static bool wineCrashed(const Output& output)
    {
        return output.text.find("wine: Unhandled") != std::string::npos ||
               output.text.find("starting debugger") != std::string::npos;
    }

    static Output ours(const std::vector<std::string>& args)
    {
        return run(environment() + shellQuoted(TESSIVAR_CLI) + " reg" + argumentsOf(args));
    }

    static void stopWine()
    {
        shell(environment() + "wineserver -k >/dev/null 2>&1; " + environment() + "wineserver -w >/dev/null 2>&1");
    }

    static inline std::unique_ptr<test::TempDir> s_dir;
    static inline fs::path s_prefix;
    static inline std::string s_skip;
};

TEST_F(RegAgainstWine, QueriesPrintWhatWinePrints)
{
    const std::vector<std::vector<std::string>> queries = {
        {"query", "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion", "/s"},
        {"query", "HKCR\\CLSID\\{00000300-0000-0000-C000-000000000046}", "/s"},
        {"query", "HKLM\\Software\\Classes\\CLSID"},
        // (Wine's server adds run-time keys under HKCU\Software\Wine and Perflib that no file holds.)
        {"query", "HKCU\\Software\\Microsoft", "/s"},
        {"query", "HKCU\\Control Panel\\Desktop\\WindowMetrics"},
        {"query", "HKLM\\System\\CurrentControlSet\\Control\\Session Manager\\Environment"},
        {"query", "HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts"},
        {"query", "hkcr\\.txt", "/s"},
        {"query", "HKCC\\Software", "/s"},
        {"query", "HKU"},
        {"query", "HKCU\\Environment", "/v", "temp"},
        {"query", "HKCU\\Environment", "/ve"},
        {"query", "HKCU\\Environment\\", "/v", "Nope"},
        {"query", "HKLM\\Software\\Microsoft\\Windows", "/v", "ProgramFilesDir", "/s"},
        {"query", "HKCU\\NoSuchKey"},
        {"query", "HKXX\\Software"},
        {"query", "HKCU\\Environment", "/v"},
        {"bogus"},
    };
    // Ours read the files while no server runs; Wine's answers come after, from its server.
    std::vector<Output> ourOutputs;
    for (const auto& query : queries)
        ourOutputs.push_back(ours(query));
    for (std::size_t i = 0; i < queries.size(); ++i) {
        const Output expected = wine(queries[i]);
        EXPECT_EQ(ourOutputs[i].code, expected.code) << argumentsOf(queries[i]);
        EXPECT_TRUE(ourOutputs[i].text == expected.text)
            << argumentsOf(queries[i]) << ": " << firstDifference(ourOutputs[i].text, expected.text);
    }
    stopWine();
}

// Wine's reg prints "(null)" for types it has no name for; ours names the type and shows the data.
TEST_F(RegAgainstWine, UnknownTypesAreShownWhereWinePrintsNull)
{
    const std::vector<std::string> query = {
        "query", "HKLM\\System\\CurrentControlSet\\Enum\\DISPLAY\\Default_Monitor\\0000&0000\\Properties", "/s"};
    const Output mine = ours(query);
    const Output theirs = wine(query);
    stopWine();
    ASSERT_EQ(mine.code, 0);
    ASSERT_NE(theirs.text.find("    (null)    (null)\n"), std::string::npos);
    std::istringstream ourLines(mine.text);
    std::istringstream wineLines(theirs.text);
    std::string ourLine;
    std::string wineLine;
    while (std::getline(wineLines, wineLine)) {
        ASSERT_TRUE(std::getline(ourLines, ourLine));
        if (wineLine.ends_with("    (null)    (null)")) {
            const std::string name = wineLine.substr(0, wineLine.size() - 20);
            EXPECT_TRUE(ourLine.starts_with(name + "    0xffff")) << ourLine;
        } else {
            EXPECT_EQ(ourLine, wineLine);
        }
    }
    EXPECT_FALSE(std::getline(ourLines, ourLine));
}

TEST_F(RegAgainstWine, ExportsAreByteIdentical)
{
    const std::vector<std::string> keys = {"HKLM\\Software\\Microsoft\\Windows\\CurrentVersion", "HKCR\\CLSID",
                                           "HKCU\\Software\\Microsoft", "HKCU\\Control Panel",
                                           "HKLM\\System\\CurrentControlSet\\Control\\Session Manager"};
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const fs::path mine = s_dir->path() / ("ours" + std::to_string(i) + ".reg");
        EXPECT_EQ(ours({"export", keys[i], mine.string()}).code, 0);
    }
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const std::string name = "theirs" + std::to_string(i) + ".reg";
        EXPECT_EQ(wine({"export", keys[i], "C:\\" + name, "/y"}).code, 0);
        const std::string expected = readFile(s_prefix / "drive_c" / name);
        ASSERT_FALSE(expected.empty()) << keys[i];
        const std::string mine = readFile(s_dir->path() / ("ours" + std::to_string(i) + ".reg"));
        EXPECT_TRUE(mine == expected) << keys[i] << ": " << firstDifference(mine, expected);
    }
    stopWine();
}

TEST_F(RegAgainstWine, WineReadsWhatOurAddWrote)
{
    const std::string key = "HKCU\\Software\\TessivarCli\\Added";
    const std::vector<std::vector<std::string>> adds = {
        {"add", key, "/v", "Text", "/d", "C:\\Program Files\\a b.exe", "/f"},
        {"add", key, "/v", "Number", "/t", "REG_DWORD", "/d", "0x2a", "/f"},
        {"add", key, "/v", "Bytes", "/t", "REG_BINARY", "/d", "00ff10", "/f"},
        {"add", key, "/v", "List", "/t", "REG_MULTI_SZ", "/d", "one\\0two", "/f"},
        {"add", key, "/v", "Path", "/t", "REG_EXPAND_SZ", "/d", "%SystemRoot%\\x.dll", "/f"},
        {"add", key, "/ve", "/d", "default", "/f"},
    };
    const std::string systemBefore = readFile(s_prefix / "system.reg");
    for (const auto& add : adds) {
        const Output result = ours(add);
        EXPECT_EQ(result.code, 0) << result.text;
        EXPECT_EQ(result.text, "reg: The operation completed successfully\n");
    }
    EXPECT_TRUE(readFile(s_prefix / "system.reg") == systemBefore);
    const Output seen = wine({"query", key});
    stopWine();
    EXPECT_EQ(seen.text, "\nHKEY_CURRENT_USER\\Software\\TessivarCli\\Added\n"
                         "    (Default)    REG_SZ    default\n"
                         "    Bytes    REG_BINARY    00FF10\n"
                         "    List    REG_MULTI_SZ    one\\0two\n"
                         "    Number    REG_DWORD    0x2a\n"
                         "    Path    REG_EXPAND_SZ    %SystemRoot%\\x.dll\n"
                         "    Text    REG_SZ    C:\\Program Files\\a b.exe\n"
                         "\n");
}

TEST_F(RegAgainstWine, NothingIsWrittenWhileWineRuns)
{
    ASSERT_EQ(shell(environment() + "wineserver -p 30"), 0);
    const std::string userBefore = readFile(s_prefix / "user.reg");
    const Output result = ours({"add", "HKCU\\Software\\TessivarCli", "/v", "Refused", "/d", "x", "/f"});
    const std::string userAfter = readFile(s_prefix / "user.reg");
    stopWine();
    EXPECT_NE(result.code, 0);
    EXPECT_EQ(std::count(result.text.begin(), result.text.end(), '\n'), 1) << result.text;
    EXPECT_NE(result.text.find("Wine"), std::string::npos) << result.text;
    EXPECT_TRUE(userAfter == userBefore);
}

TEST_F(RegAgainstWine, AMissingPrefixIsNamedAndReadsEmpty)
{
    const fs::path missing = s_dir->path() / "no-prefix";
    const std::string command =
        "WINEPREFIX=" + shellQuoted(missing.string()) + " " + shellQuoted(TESSIVAR_CLI) + " reg query HKCU\\\\Software";
    const fs::path err = s_dir->path() / "missing-err.txt";
    EXPECT_EQ(shell(command + " >/dev/null 2>" + shellQuoted(err.string())), 1);
    const std::string errors = readFile(err);
    EXPECT_NE(errors.find(missing.string() + " is missing"), std::string::npos) << errors;
}

} // namespace
} // namespace tessivar::cli
