// tessivar-cli as processes against a prefix that a hostile but fair user prepared: concurrent
// writers, special files where files belong, registries that cannot be read, names Wine refuses.
// A FIFO or device must be answered, never waited on; ctest's timeout guards against a hang.

#include "cli/crafted_prefix.h"
#include "results/backup_encoding.h"
#include "support/temp_prefix.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>

namespace tessivar {
namespace {

namespace fs = std::filesystem;
using test::TempPrefix;

std::string quoted(const std::string& text)
{
    std::string out = "'";
    for (const char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::string readAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct CliRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

class CliPrefix {
  public:
    CliPrefix()
    {
        test::writeCraftedPrefix(m_prefix.path());
        // No Z: drive: a scan --all walks every fixed drive, and a repair would then delete the
        // broken shortcuts of the whole machine. Only C: (the prefix's own drive_c) is left.
        for (const auto& entry : fs::directory_iterator(m_prefix.path() / "dosdevices")) {
            if (entry.path().filename() != "c:")
                fs::remove(entry.path());
        }
        fs::create_directories(config());
        fs::create_directories(backups());
    }

    const fs::path& prefix() const { return m_prefix.path(); }
    fs::path config() const { return m_prefix.outside() / "config"; }
    fs::path backups() const { return m_prefix.outside() / "data" / "tessivar"; }
    std::string environment(const fs::path& prefix) const
    {
        return "WINEPREFIX=" + quoted(prefix.string()) + " XDG_CONFIG_HOME=" + quoted(config().string()) +
               " XDG_DATA_HOME=" + quoted((m_prefix.outside() / "data").string()) + " ";
    }
    // The command line of one tessivar-cli run, output to `name`.out and `name`.err.
    std::string command(const std::string& args, const std::string& name, const fs::path* prefixPath = nullptr) const
    {
        const fs::path base = m_prefix.outside() / name;
        return environment(prefixPath ? *prefixPath : prefix()) + quoted(TESSIVAR_CLI) + " " + args + " </dev/null >" +
               quoted(base.string() + ".out") + " 2>" + quoted(base.string() + ".err");
    }
    CliRun result(const std::string& name, int exitCode) const
    {
        const fs::path base = m_prefix.outside() / name;
        return CliRun{exitCode, readAll(base.string() + ".out"), readAll(base.string() + ".err")};
    }
    CliRun run(const std::string& args, const fs::path* prefixPath = nullptr) const
    {
        const int status = std::system(command(args, "run", prefixPath).c_str());
        return result("run", WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    }
    // Runs `count` commands at once and waits for all; their exit codes in order.
    std::vector<CliRun> runTogether(const std::vector<std::string>& args) const
    {
        std::string script;
        for (std::size_t i = 0; i < args.size(); ++i) {
            const std::string name = "together" + std::to_string(i);
            script += "(" + command(args[i], name) + "; echo $? >" +
                      quoted((m_prefix.outside() / name).string() + ".rc") + ") & ";
        }
        std::system((script + "wait").c_str());
        std::vector<CliRun> runs;
        for (std::size_t i = 0; i < args.size(); ++i) {
            const std::string name = "together" + std::to_string(i);
            runs.push_back(result(name, std::atoi(readAll(m_prefix.outside() / (name + ".rc")).c_str())));
        }
        return runs;
    }

  private:
    TempPrefix m_prefix;
};

TEST(ConcurrentWriters, TwentyRegAddsAtOnceAreAllKept)
{
    CliPrefix cli;
    std::vector<std::string> adds;
    for (int i = 1; i <= 20; ++i)
        adds.push_back("reg add 'HKCU\\Software\\QA' /v v" + std::to_string(i) + " /d x /f");
    for (const CliRun& run : cli.runTogether(adds))
        EXPECT_EQ(run.exitCode, 0) << run.err;
    const CliRun query = cli.run("reg query 'HKCU\\Software\\QA'");
    for (int i = 1; i <= 20; ++i)
        EXPECT_NE(query.out.find("    v" + std::to_string(i) + "    REG_SZ    x\n"), std::string::npos) << i;
}

TEST(ConcurrentWriters, TwoRepairsAtOnceEachChangeOnce)
{
    CliPrefix cli;
    const auto runs = cli.runTogether({"repair --all", "repair --all"});
    std::multiset<std::string> changes;
    for (const CliRun& run : runs) {
        std::istringstream lines(run.out);
        for (std::string line; std::getline(lines, line);) {
            if (line.starts_with("removed ") || line.starts_with("emptied ") || line.starts_with("deleted "))
                changes.insert(line);
        }
    }
    EXPECT_FALSE(changes.empty());
    for (const auto& change : changes)
        EXPECT_EQ(changes.count(change), 1u) << change;
}

// What a case prepares, the command it runs, and what it must answer.
struct Hazard {
    const char* what;
    std::function<void(const CliPrefix&)> prepare;
    std::string args;
    int exitCode;
    const char* says;                     // found in stdout or stderr
    const char* absentInConfig = nullptr; // a file the run must not have made
};

void replaceSystemReg(const CliPrefix& cli, const std::function<void(const fs::path&)>& make)
{
    fs::remove(cli.prefix() / "system.reg");
    make(cli.prefix() / "system.reg");
}

void fifo(const fs::path& path)
{
    fs::create_directories(path.parent_path());
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
}

class Hazards : public ::testing::TestWithParam<Hazard> {};

TEST_P(Hazards, AreAnsweredWithTheRightLine)
{
    CliPrefix cli;
    GetParam().prepare(cli);
    const CliRun run = cli.run(GetParam().args);
    EXPECT_EQ(run.exitCode, GetParam().exitCode) << run.out << run.err;
    EXPECT_NE((run.out + run.err).find(GetParam().says), std::string::npos) << run.out << run.err;
    if (GetParam().absentInConfig) {
        EXPECT_FALSE(fs::exists(fs::symlink_status(cli.config() / GetParam().absentInConfig)));
    }
}

const std::string kBackup = "BackUp 01-01-26 00-00-00";

INSTANTIATE_TEST_SUITE_P(
    Prefix, Hazards,
    ::testing::Values(
        Hazard{"a .lnk and a .url that are FIFOs",
               [](const CliPrefix& cli) {
                   fifo(cli.prefix() / "drive_c" / "fifo.lnk");
                   fifo(cli.prefix() / "drive_c" / "fifo.url");
               },
               "scan --all", 1, "Total numbers of problems detected"},
        Hazard{"system.reg a FIFO", [](const CliPrefix& cli) { replaceSystemReg(cli, fifo); }, "scan --all", 2,
               "system.reg is not a regular file"},
        Hazard{"system.reg a FIFO, reg", [](const CliPrefix& cli) { replaceSystemReg(cli, fifo); },
               "reg query 'HKLM\\Software'", 1, "system.reg is not a regular file"},
        Hazard{"system.reg a link to /dev/zero",
               [](const CliPrefix& cli) {
                   replaceSystemReg(cli, [](const fs::path& p) { fs::create_symlink("/dev/zero", p); });
               },
               "scan --all", 2, "system.reg is not a regular file"},
        Hazard{"system.reg a dangling link",
               [](const CliPrefix& cli) {
                   replaceSystemReg(cli, [&](const fs::path& p) { fs::create_symlink(cli.config() / "made", p); });
               },
               "reg add 'HKLM\\Software\\QA' /v a /d b /f", 1, "system.reg is a symbolic link to a missing file",
               "made"},
        Hazard{"system.reg a folder",
               [](const CliPrefix& cli) { replaceSystemReg(cli, [](const fs::path& p) { fs::create_directory(p); }); },
               "scan --all", 2, "system.reg is a folder, not a file"},
        Hazard{"system.reg empty",
               [](const CliPrefix& cli) { replaceSystemReg(cli, [](const fs::path& p) { std::ofstream{p}; }); },
               "scan --all", 2, "system.reg is empty"},
        Hazard{"system.reg behind a UTF-8 BOM",
               [](const CliPrefix& cli) {
                   const std::string text = readAll(cli.prefix() / "system.reg");
                   std::ofstream(cli.prefix() / "system.reg", std::ios::binary) << "\xEF\xBB\xBF" << text;
               },
               "reg query 'HKLM\\Software'", 1, "system.reg does not start with Wine's registry header"},
        Hazard{"a prefix without registry files",
               [](const CliPrefix& cli) {
                   for (const char* name : {"system.reg", "user.reg", "userdef.reg"})
                       fs::remove(cli.prefix() / name);
               },
               "scan --all", 2, "holds no registry file"},
        Hazard{"a key component longer than Wine keeps", [](const CliPrefix&) {},
               "reg add 'HKCU\\Software\\" + std::string(256, 'a') + "' /v v /d x /f", 1,
               "reg: Unable to access or create the specified registry key"},
        Hazard{"a value name longer than Wine keeps", [](const CliPrefix&) {},
               "reg add 'HKCU\\Software\\QA' /v " + std::string(16384, 'v') + " /d x /f", 1,
               "reg: Unable to access or create the specified registry key"},
        Hazard{"a FIFO named like a backup", [](const CliPrefix& cli) { fifo(cli.backups() / kBackup); },
               "restore 'BackUp 01-01-26 00-00-00'", 1, "the backup file cannot be read"},
        Hazard{"a shortcut copy that is a FIFO",
               [](const CliPrefix& cli) {
                   std::ofstream(cli.backups() / kBackup, std::ios::binary)
                       << EncodeBackupFields({"S", "C:\\users\\a.lnk", "a.lnk"}) << "\r\n";
                   fifo(cli.backups() / "a.lnk");
               },
               "restore 'BackUp 01-01-26 00-00-00'", 1, "its copy cannot be read"},
        Hazard{"repair with a stray argument", [](const CliPrefix&) {}, "repair now", 2,
               "usage: tessivar-cli repair [--all] [--drive LETTER]... [--tsv]"}));

TEST(Hazards, PrefixThatIsAFileIsNotAFolder)
{
    CliPrefix cli;
    const fs::path file = cli.config() / "prefix-file";
    std::ofstream{file} << "x";
    const CliRun run = cli.run("reg query 'HKCU\\Software'", &file);
    EXPECT_NE(run.err.find(file.string() + " is not a folder"), std::string::npos) << run.err;
}

} // namespace
} // namespace tessivar
