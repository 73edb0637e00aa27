#pragma once

// The program's settings: application "Tessivar v4.0", section "Settings". Each reader passes
// its own default and gets it back, as text, when the key is missing; each writer writes one key
// at once. Nothing is cached: every read goes to the store.

#include <string>
#include <string_view>

#include "platform/settings_backend.h"

namespace tessivar {

inline constexpr std::string_view kProductName = "Tessivar v4.0";

class SettingsStore {
public:
    explicit SettingsStore(SettingsBackend& backend) : m_backend(backend) {}

    std::string ReadSetting(std::string_view key, std::string_view defaultValue) const;
    std::string ReadSetting(std::string_view key, const char* defaultValue) const
    {
        return ReadSetting(key, std::string_view(defaultValue));
    }
    // The default as decimal text.
    std::string ReadSetting(std::string_view key, long defaultValue) const;
    std::string ReadSetting(std::string_view key, int defaultValue) const
    {
        return ReadSetting(key, static_cast<long>(defaultValue));
    }
    // The default as "True" or "False".
    std::string ReadSetting(std::string_view key, bool defaultValue) const;

    // A write the store refuses is ignored.
    void WriteSetting(std::string_view key, std::string_view value);

private:
    SettingsBackend& m_backend;
};

} // namespace tessivar
