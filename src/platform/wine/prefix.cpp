#include "platform/wine/prefix.h"

#include <cstdlib>
#include <pwd.h>
#include <string>
#include <unistd.h>

namespace tessivar::wine {

namespace {

std::filesystem::path homeFolder()
{
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir)
        return entry->pw_dir;
    return "/";
}

} // namespace

std::filesystem::path defaultPrefixPath()
{
    if (const char* prefix = std::getenv("WINEPREFIX"); prefix && *prefix) {
        std::string text = prefix;
        while (text.size() > 1 && text.back() == '/')
            text.pop_back();
        return std::filesystem::absolute(text).lexically_normal();
    }
    return homeFolder() / ".wine";
}

} // namespace tessivar::wine
