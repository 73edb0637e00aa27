#include "platform/linux/xdg_document_programs.h"

#include "platform/linux/xdg_entries.h"

#include <cctype>
#include <cerrno>
#include <fstream>
#include <iterator>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace tessivar::xdg {

namespace {

// Desktop files and lists are small; anything larger is not one.
constexpr std::size_t kMaxDesktopFileSize = 1 << 20;

std::optional<std::string> readSmallFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string text;
    char buffer[4096];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        text.append(buffer, static_cast<std::size_t>(in.gcount()));
        if (text.size() > kMaxDesktopFileSize)
            return std::nullopt;
    }
    return text;
}

bool isExecutableFile(const std::filesystem::path& path)
{
    std::error_code error;
    return std::filesystem::is_regular_file(path, error) && ::access(path.c_str(), X_OK) == 0;
}

std::string lowerAscii(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

} // namespace

std::optional<std::string_view> mimeTypeOfExtension(std::string_view extension)
{
    const std::string lower = lowerAscii(extension);
    if (lower == "htm" || lower == "html")
        return "text/html";
    return std::nullopt;
}

std::string XdgDocumentPrograms::FindExecutableA(std::string_view documentPath)
{
    const auto dot = documentPath.rfind('.');
    const auto slash = documentPath.find_last_of("\\/");
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
        return {};
    const auto mime = mimeTypeOfExtension(documentPath.substr(dot + 1));
    if (!mime)
        return {};
    const auto program = defaultProgramFor(*mime);
    return program ? program->string() : std::string{};
}

std::optional<std::filesystem::path> XdgDocumentPrograms::defaultProgramFor(std::string_view mimeType) const
{
    std::vector<std::filesystem::path> lists;
    if (!m_environment.configHome.empty())
        lists.push_back(m_environment.configHome / "mimeapps.list");
    for (const auto& dir : m_environment.configDirs)
        lists.push_back(dir / "mimeapps.list");
    if (!m_environment.dataHome.empty())
        lists.push_back(m_environment.dataHome / "applications" / "mimeapps.list");
    for (const auto& dir : m_environment.dataDirs)
        lists.push_back(dir / "applications" / "mimeapps.list");
    for (const auto& list : lists) {
        const auto text = readSmallFile(list);
        if (!text)
            continue;
        const auto value = groupValue(*text, "Default Applications", mimeType);
        if (!value)
            continue;
        // A default whose entry is not installed (or names no program) gives way to the next one.
        for (const auto& id : stringList(unescapeValue(*value))) {
            if (auto program = programOfEntry(id))
                return program;
        }
    }
    return std::nullopt;
}

std::optional<std::filesystem::path> XdgDocumentPrograms::programOfEntry(std::string_view desktopId) const
{
    if (desktopId.find('/') != std::string_view::npos || !desktopId.ends_with(".desktop"))
        return std::nullopt;
    std::vector<std::filesystem::path> dirs;
    if (!m_environment.dataHome.empty())
        dirs.push_back(m_environment.dataHome);
    dirs.insert(dirs.end(), m_environment.dataDirs.begin(), m_environment.dataDirs.end());
    for (const auto& dir : dirs) {
        const auto text = readSmallFile(dir / "applications" / std::string(desktopId));
        if (!text)
            continue;
        // The first entry found by that id is the one installed; it decides.
        if (unescapeValue(groupValue(*text, "Desktop Entry", "Hidden").value_or("")) == "true")
            return std::nullopt;
        const auto exec = groupValue(*text, "Desktop Entry", "Exec");
        if (!exec)
            return std::nullopt;
        const auto arguments = execArguments(unescapeValue(*exec));
        if (!arguments || arguments->empty())
            return std::nullopt;
        return resolveProgram(arguments->front());
    }
    return std::nullopt;
}

std::optional<std::filesystem::path> XdgDocumentPrograms::resolveProgram(const std::string& name) const
{
    if (name.empty() || name.find('\0') != std::string::npos)
        return std::nullopt;
    if (name.find('/') != std::string::npos) {
        if (name.front() == '/' && isExecutableFile(name))
            return std::filesystem::path(name);
        return std::nullopt;
    }
    for (const auto& dir : m_environment.path) {
        if (isExecutableFile(dir / name))
            return dir / name;
    }
    return std::nullopt;
}

bool XdgDocumentPrograms::ShellExecuteA(std::string_view program, std::string_view argument, ShowMode /*show*/)
{
    const std::string path(program);
    const std::string value(argument);
    if (path.empty() || path.front() != '/')
        return false;
    // Everything the children need is made before forking: they may only call what is safe
    // between fork and exec.
    char* const arguments[] = {const_cast<char*>(path.c_str()), const_cast<char*>(value.c_str()), nullptr};
    const pid_t child = ::fork();
    if (child < 0)
        return false;
    if (child == 0) {
        // The grandchild runs the program; the child ends at once, so nothing is left to reap.
        ::setsid();
        if (::fork() == 0) {
            // The program must not hold on to our files, the single-instance lock among them.
            ::close_range(3, ~0U, 0);
            ::execv(path.c_str(), arguments);
            ::_exit(127);
        }
        ::_exit(0);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace tessivar::xdg
