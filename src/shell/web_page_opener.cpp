#include "shell/web_page_opener.h"

#include <cctype>
#include <string>

namespace tessivar {

namespace {

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

// The program path ends with its ".EXE" where there is one (a Windows answer may carry the
// program's arguments after it); without one the whole answer is the program.
std::string_view programPart(std::string_view found)
{
    std::string upper(found);
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const auto exe = upper.find(".EXE");
    if (exe == std::string::npos)
        return found;
    return trimmed(found.substr(0, exe + 4));
}

} // namespace

void OpenWebPage(FileSystem& files, DocumentPrograms& programs, std::string_view address, std::string_view extension)
{
    const std::string_view page = trimmed(address);
    const std::string folder = files.GetTempPathA();
    if (folder.empty())
        return;
    const std::string document =
        folder + (folder.back() == '\\' ? "" : "\\") + std::string(kThrowAwayDocument) + std::string(extension);
    // Only the document's kind matters; its content is a line of two quotation marks.
    if (files.writeFile(document, "\"\"\r\n")) {
        const std::string found(trimmed(programs.FindExecutableA(document)));
        if (!found.empty())
            programs.ShellExecuteA(programPart(found), page, ShowMode::maximised);
    }
    files.DeleteFileA(document);
}

} // namespace tessivar
