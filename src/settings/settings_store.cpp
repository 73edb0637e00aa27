#include "settings/settings_store.h"

#include "platform/text_utils.h"

#include <charconv>

namespace tessivar {

namespace {

} // namespace

std::string SettingsStore::ReadSetting(std::string_view key, std::string_view defaultValue) const
{
    if (auto stored = m_backend.read(key))
        return *std::move(stored);
    return std::string(defaultValue);
}

std::string SettingsStore::ReadSetting(std::string_view key, long defaultValue) const
{
    if (auto stored = m_backend.read(key))
        return *std::move(stored);
    return std::to_string(defaultValue);
}

std::string SettingsStore::ReadSetting(std::string_view key, bool defaultValue) const
{
    if (auto stored = m_backend.read(key))
        return *std::move(stored);
    return defaultValue ? "True" : "False";
}

void SettingsStore::WriteSetting(std::string_view key, std::string_view value)
{
    // A refused write is not the caller's business: the choice simply is not remembered.
    (void)m_backend.write(key, value);
}

std::optional<long long> SettingAsNumber(std::string_view text)
{
    text = trimmed(text, " \t");
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (text.empty() || text.front() < '0' || text.front() > '9')
            return std::nullopt;
    }
    long long value = 0;
    const auto* end = text.data() + text.size();
    auto [ptr, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || ptr != end)
        return std::nullopt;
    return value;
}

std::optional<bool> SettingAsBoolean(std::string_view text)
{
    const std::string_view word = trimmed(text, " \t");
    if (equalsIgnoringCase(word, "true"))
        return true;
    if (equalsIgnoringCase(word, "false"))
        return false;
    if (auto number = SettingAsNumber(word))
        return *number != 0;
    return std::nullopt;
}

long long ReadNumberSetting(const SettingsStore& store, std::string_view key, long defaultValue)
{
    return SettingAsNumber(store.ReadSetting(key, defaultValue)).value_or(defaultValue);
}

} // namespace tessivar
