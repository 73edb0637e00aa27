#pragma once

// Where the user's settings live: one application ("Tessivar v4.0"), one section ("Settings"),
// text values under keys that compare without regard to letter case. Back-ends: a per-user file
// on Linux (platform/wine), the registry on Windows later, an in-memory map in tests.

#include <optional>
#include <string>
#include <string_view>

namespace tessivar {

class SettingsBackend {
  public:
    virtual ~SettingsBackend() = default;
    // The text stored under `key`, exactly as written; nullopt when there is none or the store
    // cannot be read.
    virtual std::optional<std::string> read(std::string_view key) = 0;
    // Creates or replaces the key at once; false when the store refused the write.
    virtual bool write(std::string_view key, std::string_view value) = 0;
};

} // namespace tessivar
