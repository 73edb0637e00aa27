#pragma once

// The program's settings: application "Tessivar v4.0", section "Settings". Each reader passes
// its own default and gets it back, as text, when the key is missing; each writer writes one key
// at once. Nothing is cached: every read goes to the store.

#include "platform/settings_backend.h"

#include <optional>
#include <string>
#include <string_view>

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

// How readers turn a stored text into what they need. A text of another form (edited by hand)
// reads as nullopt; each reader then decides, as its caller documents.

// A whole decimal number, blanks around it allowed, an optional sign: "1", " -2 ", "+0".
// nullopt for anything else, an empty text, or a number beyond 64 bits.
std::optional<long long> SettingAsNumber(std::string_view text);
// "True"/"False" in any letter case, or a number as SettingAsNumber reads it (0 is false, any
// other number true), as the original runtime converts text to a boolean. nullopt otherwise
// ("maybe", "", "yes").
std::optional<bool> SettingAsBoolean(std::string_view text);

// The key read as a number; a stored text that is not a number counts as the default, so that a
// hand-edited value falls back to what a first run would do.
long long ReadNumberSetting(const SettingsStore& store, std::string_view key, long defaultValue);

} // namespace tessivar
