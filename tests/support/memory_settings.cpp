#include "support/memory_settings.h"

#include "platform/text_utils.h"

#include <algorithm>

namespace tessivar::test {

bool CaseInsensitiveLess::operator()(std::string_view a, std::string_view b) const
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(lowerAscii(x)) < static_cast<unsigned char>(lowerAscii(y));
    });
}

std::optional<std::string> MemorySettings::read(std::string_view key)
{
    reads.emplace_back(key);
    if (failReads)
        return std::nullopt;
    return get(key);
}

bool MemorySettings::write(std::string_view key, std::string_view value)
{
    writes.push_back(Write{std::string(key), std::string(value), !refuseWrites});
    if (refuseWrites)
        return false;
    set(key, value);
    return true;
}

void MemorySettings::set(std::string_view key, std::string_view value)
{
    auto found = m_values.find(key);
    if (found == m_values.end())
        m_values.emplace(std::string(key), std::string(value));
    else
        found->second = std::string(value);
}

std::optional<std::string> MemorySettings::get(std::string_view key) const
{
    auto found = m_values.find(key);
    if (found == m_values.end())
        return std::nullopt;
    return found->second;
}

std::vector<MemorySettings::Write> MemorySettings::acceptedWrites() const
{
    std::vector<Write> result;
    for (const auto& w : writes)
        if (w.accepted)
            result.push_back(w);
    return result;
}

std::vector<std::string> MemorySettings::writesOf(std::string_view key) const
{
    std::vector<std::string> result;
    for (const auto& w : writes)
        if (w.accepted && equalsIgnoringCase(w.key, key))
            result.push_back(w.value);
    return result;
}

} // namespace tessivar::test
