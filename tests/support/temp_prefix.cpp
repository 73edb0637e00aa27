#include "support/temp_prefix.h"

#include <cstdlib>
#include <fstream>
#include <pwd.h>
#include <unistd.h>

namespace tessivar::test {

namespace {

std::string userName()
{
    if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_name)
        return entry->pw_name;
    const char* user = std::getenv("USER");
    return user ? user : "user";
}

} // namespace

TempPrefix::TempPrefix() : m_prefix(m_dir.path() / "prefix")
{
    std::filesystem::create_directories(m_prefix / "dosdevices");
    std::filesystem::create_directories(m_dir.path() / "outside");
    makeFolder("drive_c/windows/system32");
    makeFolder("drive_c/windows/Fonts");
    makeFolder("drive_c/users/" + userName() + "/Temp");
    link("c:", "../drive_c");
    link("z:", "/");
}

std::filesystem::path TempPrefix::write(const std::string& relative, const std::string& content) const
{
    const auto full = m_prefix / relative;
    std::filesystem::create_directories(full.parent_path());
    std::ofstream out(full, std::ios::binary);
    out << content;
    return full;
}

std::filesystem::path TempPrefix::makeFolder(const std::string& relative) const
{
    const auto full = m_prefix / relative;
    std::filesystem::create_directories(full);
    return full;
}

void TempPrefix::link(const std::string& name, const std::string& target) const
{
    const auto where = m_prefix / "dosdevices" / name;
    std::error_code ignored;
    std::filesystem::remove(where, ignored);
    std::filesystem::create_symlink(target, where);
}

std::optional<std::filesystem::path> testWinePrefix()
{
    const char* source = std::getenv("TESSIVAR_TEST_WINEPREFIX");
    if (!source || !*source || !std::filesystem::exists(std::filesystem::path(source) / "system.reg"))
        return std::nullopt;
    return std::filesystem::path(source);
}

} // namespace tessivar::test
