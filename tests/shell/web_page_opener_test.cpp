#include "shell/web_page_opener.h"
#include "support/fake_desktop.h"
#include "support/fake_file_system.h"

#include <gtest/gtest.h>

namespace tessivar {
namespace {

constexpr const char* kDocument = "C:\\windows\\temp\\temphtm.htm";

struct OpenerFixture {
    test::FakeFileSystem files;
    test::FakeDocumentPrograms programs;
    std::optional<std::string> seen; // the document's content while the program was looked up

    OpenerFixture()
    {
        programs.whileAsked = [this](std::string_view path) { seen = files.content(path); };
    }
};

TEST(OpenWebPage, StartsTheProgramForTheKindMaximisedWithTheTrimmedAddress)
{
    struct Case {
        const char* registered;
        const char* started;
    };
    const Case cases[] = {
        {"C:\\Program Files\\Browser\\browser.exe", "C:\\Program Files\\Browser\\browser.exe"},
        {"C:\\Program Files\\Browser\\BROWSER.EXE -nohome ", "C:\\Program Files\\Browser\\BROWSER.EXE"},
        {"/usr/bin/firefox-esr", "/usr/bin/firefox-esr"},
    };
    for (const auto& c : cases) {
        OpenerFixture f;
        f.programs.programs["htm"] = c.registered;
        OpenWebPage(f.files, f.programs, "  file:///usr/share/tessivar/help/support.html ", "htm");
        EXPECT_EQ(f.programs.asked, std::vector<std::string>{kDocument});
        EXPECT_EQ(f.seen, "\"\"\r\n");
        ASSERT_EQ(f.programs.started.size(), 1u);
        EXPECT_EQ(f.programs.started[0].program, c.started);
        EXPECT_EQ(f.programs.started[0].argument, "file:///usr/share/tessivar/help/support.html");
        EXPECT_EQ(f.programs.started[0].show, ShowMode::maximised);
        EXPECT_FALSE(f.files.exists(kDocument));
    }
}

TEST(OpenWebPage, NothingOpensWithoutAProgramATemporaryFolderOrTheDocument)
{
    OpenerFixture none;
    OpenWebPage(none.files, none.programs, "x", "htm");
    EXPECT_TRUE(none.programs.started.empty());
    EXPECT_FALSE(none.files.exists(kDocument));

    OpenerFixture noTemp;
    noTemp.programs.programs["htm"] = "C:\\b.exe";
    noTemp.files.setTempPath("");
    OpenWebPage(noTemp.files, noTemp.programs, "x", "htm");
    EXPECT_TRUE(noTemp.programs.asked.empty());

    OpenerFixture readOnly;
    readOnly.programs.programs["htm"] = "C:\\b.exe";
    readOnly.files.makeWriteFail("C:\\windows\\temp");
    OpenWebPage(readOnly.files, readOnly.programs, "x", "htm");
    EXPECT_TRUE(readOnly.programs.started.empty());
}

} // namespace
} // namespace tessivar
