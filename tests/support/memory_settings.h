#pragma once

// A SettingsBackend over a map, for tests. Keys compare without regard to letter case and keep
// the spelling of their first write, as the real stores do. It records every write in order and
// can be told to refuse writes or to fail reads.

#include "platform/settings_backend.h"

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessivar::test {

struct CaseInsensitiveLess {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const;
};

class MemorySettings : public SettingsBackend {
  public:
    struct Write {
        std::string key;
        std::string value;
        bool accepted = true;
        bool operator==(const Write&) const = default;
    };

    std::optional<std::string> read(std::string_view key) override;
    bool write(std::string_view key, std::string_view value) override;

    // Seeds a value without recording it as a write.
    void set(std::string_view key, std::string_view value);
    // The stored value, without counting a read.
    std::optional<std::string> get(std::string_view key) const;
    bool contains(std::string_view key) const { return m_values.contains(key); }
    std::size_t size() const { return m_values.size(); }
    const std::map<std::string, std::string, CaseInsensitiveLess>& values() const { return m_values; }

    // Writes answer false and change nothing (they are still recorded, as refused).
    bool refuseWrites = false;
    // Reads answer nullopt, as a store that cannot be opened does.
    bool failReads = false;

    std::vector<Write> writes;
    std::vector<std::string> reads; // the keys asked for, in order
    // Accepted writes only, as key/value pairs.
    std::vector<Write> acceptedWrites() const;
    // The accepted writes of one key (compared without case), values in order.
    std::vector<std::string> writesOf(std::string_view key) const;

  private:
    std::map<std::string, std::string, CaseInsensitiveLess> m_values;
};

} // namespace tessivar::test
