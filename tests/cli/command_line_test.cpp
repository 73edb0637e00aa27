#include "cli/command_line.h"

#include <gtest/gtest.h>
#include <sstream>

namespace tessivar::cli {
namespace {

std::vector<std::string> g_ran;

std::optional<int> recordRun(std::string_view command, const std::vector<std::string>& args)
{
    g_ran.assign(1, std::string(command));
    g_ran.insert(g_ran.end(), args.begin(), args.end());
    return 7;
}

struct LineCase {
    std::vector<std::string> argv;
    int exitCode;
    std::string outHas; // "" when nothing is to be printed on stdout
    std::string errHas;
    bool runs;
};

class CommandLine : public testing::TestWithParam<LineCase> {};

TEST_P(CommandLine, AnswersAsTheUserExpects)
{
    const LineCase& c = GetParam();
    g_ran.clear();
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(runCommandLine(c.argv, recordRun, out, err), c.exitCode);
    if (c.outHas.empty())
        EXPECT_EQ(out.str(), "");
    else
        EXPECT_NE(out.str().find(c.outHas), std::string::npos) << out.str();
    EXPECT_NE(err.str().find(c.errHas), std::string::npos) << err.str();
    EXPECT_EQ(!g_ran.empty(), c.runs);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, CommandLine,
    testing::Values(
        LineCase{{}, 2, "", "usage: tessivar-cli COMMAND", false},
        LineCase{{"--help"}, 0, "tessivar-cli scan [--all] [--drive LETTER]... [--tsv]", "", false},
        LineCase{{"-h"}, 0, "tessivar-cli delete-backup NAME... [--yes]", "", false},
        LineCase{{"--version"}, 0, "tessivar-cli 4.0\n", "", false},
        LineCase{{"help", "repair"}, 0, "--drive LETTER", "", false},
        LineCase{{"help", "nope"}, 2, "", "no command \"nope\"", false},
        LineCase{{"restore", "--help"}, 0, "usage: tessivar-cli restore NAME...", "", false},
        LineCase{{"scan", "-h"}, 0, "--tsv", "", false},
        LineCase{
            {"scan", "--bogus"}, 2, "", "--bogus\nusage: tessivar-cli scan [--all] [--drive LETTER]... [--tsv]", false},
        LineCase{{"scan", "--drive"}, 2, "", "--drive", false},
        LineCase{{"backups", "x"}, 2, "", "usage: tessivar-cli backups", false},
        LineCase{{"frobnicate"}, 2, "", "unknown command \"frobnicate\"", false},
        LineCase{{"scan", "--drive", "Z", "--drive", "D"}, 7, "", "", true},
        // reg keeps its own syntax: /? is its help, handled by the command itself.
        LineCase{{"reg", "QUERY", "/?"}, 7, "", "", true}));

TEST(CommandLineParse, DrivesAndNamesAreCollectedInOrder)
{
    std::ostringstream out;
    std::ostringstream err;
    CommandArgs args;
    ASSERT_EQ(parseCommandArgs("scan", {"--drive", "Z", "--all", "--drive", "e:"}, &args, out, err), ParseResult::run);
    EXPECT_TRUE(args.all);
    EXPECT_EQ(args.drives, (std::vector<std::string>{"Z", "e:"}));
    ASSERT_EQ(parseCommandArgs("delete-backup", {"BackUp a", "--yes", "BackUp b"}, &args, out, err), ParseResult::run);
    EXPECT_TRUE(args.yes);
    EXPECT_EQ(args.names, (std::vector<std::string>{"BackUp a", "BackUp b"}));
}

} // namespace
} // namespace tessivar::cli
