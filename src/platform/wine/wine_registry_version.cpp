// WineRegistry: the version the prefix stands for.

#include "platform/wine/wine_registry.h"
#include "platform/wine/wine_registry_text.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace tessivar::wine {

std::string WineRegistry::readString(std::initializer_list<std::u16string_view> path, std::u16string_view name)
{
    RegKey* key = &m_hives[kMachine].file->root();
    for (auto part : path) {
        key = key->findChild(part);
        if (!key)
            return {};
    }
    const RegValue* value = key->findValue(name);
    if (!value)
        return {};
    if (value->type == REG_DWORD && value->data.size() == 4) {
        const auto* b = reinterpret_cast<const unsigned char*>(value->data.data());
        return std::to_string(b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<std::uint32_t>(b[3]) << 24));
    }
    if (!isStringType(value->type))
        return {};
    std::string text = narrowData(*value);
    return text.substr(0, text.find('\0'));
}

bool WineRegistry::GetVersionExA(OSVERSIONINFOA* info)
{
    if (!info || (info->dwOSVersionInfoSize != 148 && info->dwOSVersionInfoSize != 156))
        return false;
    const std::initializer_list<std::u16string_view> path{u"Software", u"Microsoft", u"Windows NT", u"CurrentVersion"};
    std::uint32_t major = 10, minor = 0, build = 19045;
    std::string csd;
    const std::string majorText = readString(path, u"CurrentMajorVersionNumber");
    const std::string version = readString(path, u"CurrentVersion");
    if (!majorText.empty()) {
        major = static_cast<std::uint32_t>(std::strtoul(majorText.c_str(), nullptr, 10));
        minor = static_cast<std::uint32_t>(
            std::strtoul(readString(path, u"CurrentMinorVersionNumber").c_str(), nullptr, 10));
    } else if (const std::size_t dot = version.find('.'); dot != std::string::npos) {
        major = static_cast<std::uint32_t>(std::strtoul(version.c_str(), nullptr, 10));
        minor = static_cast<std::uint32_t>(std::strtoul(version.c_str() + dot + 1, nullptr, 10));
    }
    if (const std::string buildText = readString(path, u"CurrentBuildNumber"); !buildText.empty())
        build = static_cast<std::uint32_t>(std::strtoul(buildText.c_str(), nullptr, 10));
    if (!majorText.empty() || !version.empty())
        csd = readString(path, u"CSDVersion");
    info->dwMajorVersion = major;
    info->dwMinorVersion = minor;
    info->dwBuildNumber = build;
    info->dwPlatformId = VER_PLATFORM_WIN32_NT;
    const std::size_t length = std::min<std::size_t>(csd.size(), sizeof info->szCSDVersion - 1);
    std::memcpy(info->szCSDVersion, csd.data(), length);
    info->szCSDVersion[length] = '\0';
    return true;
}

} // namespace tessivar::wine
