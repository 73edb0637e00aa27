#include "platform/linux/xdg_autostart.h"

#include "platform/linux/xdg_entries.h"
#include "platform/wine/atomic_file.h"

#include <system_error>

namespace tessivar::xdg {

std::string XdgAutostart::entryText(const std::filesystem::path& program)
{
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Tessivar\n"
           "Comment=Keeps Tessivar ready in the notification area\n"
           "Exec=" +
           quotedExecArgument(program.string()) +
           "\n"
           "Icon=tessivar\n"
           "Terminal=false\n";
}

bool XdgAutostart::writeEntry()
{
    if (m_configHome.empty() || !m_configHome.is_absolute() || m_program.empty() || !m_program.is_absolute())
        return false;
    std::error_code error;
    std::filesystem::create_directories(entryPath().parent_path(), error);
    if (error)
        return false;
    return wine::replaceFileAtomically(entryPath(), entryText(m_program)).empty();
}

bool XdgAutostart::removeEntry()
{
    if (m_configHome.empty())
        return true;
    std::error_code error;
    std::filesystem::remove(entryPath(), error);
    return !error;
}

} // namespace tessivar::xdg
