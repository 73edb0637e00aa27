#include "platform/linux/xdg_environment.h"

#include <cstdlib>
#include <string_view>
#include <system_error>

namespace tessivar::xdg {

namespace {

std::vector<std::filesystem::path> absoluteList(const char* value, std::string_view fallback)
{
    std::string_view text = value && *value ? std::string_view(value) : fallback;
    std::vector<std::filesystem::path> list;
    while (!text.empty()) {
        const auto end = text.find(':');
        const std::string_view item = text.substr(0, end);
        if (!item.empty() && item.front() == '/')
            list.emplace_back(item);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    }
    return list;
}

std::filesystem::path perUser(const char* variable, const char* belowHome)
{
    if (const char* value = std::getenv(variable); value && *value == '/')
        return value;
    if (const char* home = std::getenv("HOME"); home && *home == '/')
        return std::filesystem::path(home) / belowHome;
    return {};
}

} // namespace

Environment Environment::fromProcess()
{
    Environment environment;
    environment.configHome = perUser("XDG_CONFIG_HOME", ".config");
    environment.configDirs = absoluteList(std::getenv("XDG_CONFIG_DIRS"), "/etc/xdg");
    environment.dataHome = perUser("XDG_DATA_HOME", ".local/share");
    environment.dataDirs = absoluteList(std::getenv("XDG_DATA_DIRS"), "/usr/local/share:/usr/share");
    environment.path = absoluteList(std::getenv("PATH"), "/usr/local/bin:/usr/bin:/bin");
    return environment;
}

std::filesystem::path ownProgramPath()
{
    std::error_code error;
    auto path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path{} : path;
}

} // namespace tessivar::xdg
