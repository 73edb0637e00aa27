#include "platform/registry.h"

#include <array>
#include <cctype>

namespace tessivar {

namespace {

struct HiveName {
    HKEY key;
    std::string_view full;
    std::string_view brief;
};

constexpr std::array<HiveName, 7> kHives{{
    {HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT", "HKCR"},
    {HKEY_CURRENT_USER, "HKEY_CURRENT_USER", "HKCU"},
    {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", "HKLM"},
    {HKEY_USERS, "HKEY_USERS", "HKU"},
    {HKEY_PERFORMANCE_DATA, "HKEY_PERFORMANCE_DATA", ""},
    {HKEY_CURRENT_CONFIG, "HKEY_CURRENT_CONFIG", "HKCC"},
    {HKEY_DYN_DATA, "HKEY_DYN_DATA", ""},
}};

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

} // namespace

PrefixLock& Registry::prefixLock()
{
    static NoPrefixLock none;
    return none;
}

std::string_view predefinedKeyName(HKEY key)
{
    for (const auto& hive : kHives) {
        if (hive.key == key)
            return hive.full;
    }
    return {};
}

HKEY predefinedKeyFromName(std::string_view name)
{
    for (const auto& hive : kHives) {
        if (equalsIgnoringCase(name, hive.full) || (!hive.brief.empty() && equalsIgnoringCase(name, hive.brief)))
            return hive.key;
    }
    return 0;
}

} // namespace tessivar
