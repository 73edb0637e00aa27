#include "engine/registry_ops.h"

#include "platform/text_utils.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <optional>
#include <vector>

namespace tessivar {

namespace {

// Handles opened here are closed on every path out, as the callers rely on.
class OpenedKey {
  public:
    explicit OpenedKey(Registry& registry) : m_registry(registry) {}
    ~OpenedKey()
    {
        if (m_open)
            m_registry.RegCloseKey(m_key);
    }
    OpenedKey(const OpenedKey&) = delete;
    OpenedKey& operator=(const OpenedKey&) = delete;

    bool openFull(HKEY hive, std::string_view path)
    {
        m_open = m_registry.RegOpenKeyExA(hive, path, 0, KEY_ALL_ACCESS, &m_key) == ERROR_SUCCESS;
        return m_open;
    }
    bool open(HKEY hive, std::string_view path)
    {
        m_open = m_registry.RegOpenKeyA(hive, path, &m_key) == ERROR_SUCCESS;
        return m_open;
    }
    HKEY handle() const { return m_key; }

  private:
    Registry& m_registry;
    HKEY m_key = 0;
    bool m_open = false;
};

// A number here is an optional sign followed by decimal digits and nothing else (blanks around it
// allowed), within [minimum, maximum]. Fractions, exponents, hex and thousands separators are
// not numbers: "1.0" or "1e3" is far more likely a version or a name than a count, and turning
// it into a DWORD would lose the text. Out-of-range digit strings are not numbers either, so a
// long identifier is never wrapped into 32 bits.
std::optional<std::int64_t> parseDecimal(std::string_view text, std::int64_t minimum, std::int64_t maximum)
{
    text = trimmed(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty() || text.size() > 32)
        return std::nullopt;
    std::uint64_t magnitude = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        magnitude = magnitude * 10 + static_cast<std::uint64_t>(c - '0');
        if (magnitude > (std::uint64_t{1} << 33))
            return std::nullopt;
    }
    const std::int64_t number = negative ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude);
    if (number < minimum || number > maximum)
        return std::nullopt;
    return number;
}

std::optional<std::uint32_t> guessedNumber(std::string_view text)
{
    const auto number =
        parseDecimal(text, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max());
    if (!number)
        return std::nullopt;
    return static_cast<std::uint32_t>(*number);
}

// An explicit DWORD also takes the unsigned spelling of the same 32 bits ("4294967295" as "-1").
std::optional<std::uint32_t> dwordOf(std::string_view text)
{
    const auto number =
        parseDecimal(text, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::uint32_t>::max());
    if (!number)
        return std::nullopt;
    return static_cast<std::uint32_t>(*number);
}

std::array<std::uint8_t, 4> littleEndian(std::uint32_t value)
{
    return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
            static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
}

std::int32_t fromLittleEndian(const std::array<std::uint8_t, 4>& bytes)
{
    const std::uint32_t value =
        bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (static_cast<std::uint32_t>(bytes[3]) << 24);
    return static_cast<std::int32_t>(value);
}

} // namespace

std::string ReadValueAsText(Registry& registry, HKEY key, std::string_view valueName)
{
    std::string text;
    ReadValueAsText(registry, key, valueName, text);
    return text;
}

void ReadValueAsText(Registry& registry, HKEY key, std::string_view valueName, std::string& text)
{
    text.clear();
    const std::string name(valueName);
    std::uint32_t type = 0;
    std::uint32_t size = 0;
    if (registry.RegQueryValueExA(key, name.c_str(), &type, nullptr, &size) != ERROR_SUCCESS)
        return;
    if (type == REG_SZ || type == REG_MULTI_SZ) {
        // Read straight into the text (its buffer is valid even for an empty value); the registry
        // is told the reported size only.
        text.resize(size);
        std::uint32_t filled = size;
        if (registry.RegQueryValueExA(key, name.c_str(), &type, reinterpret_cast<std::uint8_t*>(text.data()),
                                      &filled) != ERROR_SUCCESS) {
            text.clear();
            return;
        }
        text.resize(std::min(filled, size));
        if (const auto end = text.find('\0'); end != std::string::npos)
            text.resize(end);
        return;
    }
    if (type == REG_DWORD) {
        std::array<std::uint8_t, 4> bytes{};
        std::uint32_t filled = 4;
        if (registry.RegQueryValueExA(key, name.c_str(), &type, bytes.data(), &filled) != ERROR_SUCCESS)
            return;
        text = std::to_string(fromLittleEndian(bytes));
    }
}

void ValueDataAsText(std::uint32_t type, std::string_view data, std::string& text)
{
    text.clear();
    if (type == REG_SZ || type == REG_MULTI_SZ) {
        text.assign(data.substr(0, data.find('\0')));
    } else if (type == REG_DWORD && data.size() <= 4) {
        std::array<std::uint8_t, 4> bytes{};
        // The bound spelled out: GCC 12 at -O3 cannot see it in the test above (-Wstringop-overflow).
        std::copy_n(data.begin(), std::min(data.size(), bytes.size()), bytes.begin());
        text = std::to_string(fromLittleEndian(bytes));
    }
}

LSTATUS QueryTypedValue(Registry& registry, HKEY key, std::string_view valueName, TypedValue& value)
{
    const std::string name(valueName);
    std::uint32_t type = 0;
    std::uint32_t size = 0;
    LSTATUS status = registry.RegQueryValueExA(key, name.c_str(), &type, nullptr, &size);
    if (status != ERROR_SUCCESS)
        return status;
    if (type == REG_SZ) {
        std::vector<std::uint8_t> buffer(size + 1, 0);
        std::uint32_t filled = size;
        status = registry.RegQueryValueExA(key, name.c_str(), &type, buffer.data(), &filled);
        if (status != ERROR_SUCCESS) {
            value = std::string();
            return status;
        }
        std::string text(buffer.begin(), buffer.begin() + std::min(filled, size));
        // Only a terminating zero is dropped: data stored without one keeps its last character.
        if (!text.empty() && text.back() == '\0')
            text.pop_back();
        value = std::move(text);
        return status;
    }
    if (type == REG_DWORD) {
        std::array<std::uint8_t, 4> bytes{};
        std::uint32_t filled = 4;
        status = registry.RegQueryValueExA(key, name.c_str(), &type, bytes.data(), &filled);
        if (status == ERROR_SUCCESS)
            value = fromLittleEndian(bytes);
        return status;
    }
    return -1;
}

bool ReadValueFromKey(Registry& registry, HKEY hive, std::string_view keyPath, std::string_view valueName,
                      std::string& text)
{
    OpenedKey key(registry);
    // A key that cannot be opened with full access cannot be queried either: the read fails.
    if (!key.openFull(hive, keyPath))
        return false;
    TypedValue value;
    if (QueryTypedValue(registry, key.handle(), valueName, value) != ERROR_SUCCESS)
        return false;
    if (const auto* number = std::get_if<std::int32_t>(&value))
        text = std::to_string(*number);
    else
        text = std::get<std::string>(value);
    return true;
}

void EnsureKey(Registry& registry, HKEY hive, std::string_view keyPath)
{
    HKEY created = 0;
    std::uint32_t disposition = 0;
    if (registry.RegCreateKeyExA(hive, keyPath, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, &created,
                                 &disposition) == ERROR_SUCCESS)
        registry.RegCloseKey(created);
}

bool WriteTypedValue(Registry& registry, HKEY hive, std::string_view keyPath, std::string_view valueName,
                     std::string_view value, std::uint32_t type)
{
    OpenedKey key(registry);
    if (!key.openFull(hive, keyPath)) {
        EnsureKey(registry, hive, keyPath);
        if (!key.openFull(hive, keyPath))
            return false;
    }
    if (type != REG_SZ && type != REG_DWORD)
        return false;
    return StoreTypedValue(registry, key.handle(), valueName, type, value) == ERROR_SUCCESS;
}

LSTATUS StoreTypedValue(Registry& registry, HKEY key, std::string_view valueName, std::uint32_t type,
                        std::string_view value)
{
    const std::string name(valueName);
    if (type == REG_SZ) {
        std::string data(value);
        data.push_back('\0');
        return registry.RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const std::uint8_t*>(data.data()),
                                       static_cast<std::uint32_t>(data.size()));
    }
    if (type == REG_DWORD) {
        // Text that is no 32-bit number is not written: storing 0 instead would lose the value.
        const auto number = dwordOf(value);
        if (!number)
            return ERROR_INVALID_PARAMETER;
        const auto bytes = littleEndian(*number);
        return registry.RegSetValueExA(key, name.c_str(), 0, REG_DWORD, bytes.data(), 4);
    }
    return ERROR_SUCCESS;
}

bool WriteValueGuessType(Registry& registry, HKEY hive, std::string_view keyPath, std::string_view valueName,
                         std::string_view value)
{
    const auto number = guessedNumber(value);
    OpenedKey key(registry);
    if (!key.open(hive, keyPath))
        return false;
    const std::string name(valueName);
    if (number) {
        const auto bytes = littleEndian(*number);
        return registry.RegSetValueExA(key.handle(), name.c_str(), 0, REG_DWORD, bytes.data(), 4) == ERROR_SUCCESS;
    }
    const std::string_view text = trimmed(value);
    static constexpr std::uint8_t kNothing = 0;
    const auto* data = text.empty() ? &kNothing : reinterpret_cast<const std::uint8_t*>(text.data());
    return registry.RegSetValueExA(key.handle(), name.c_str(), 0, REG_SZ, data,
                                   static_cast<std::uint32_t>(text.size())) == ERROR_SUCCESS;
}

void RemoveValue(Registry& registry, HKEY hive, std::string_view keyPath, std::string_view valueName)
{
    OpenedKey key(registry);
    if (!key.open(hive, keyPath))
        return;
    registry.RegDeleteValueA(key.handle(), std::string(valueName).c_str());
}

std::uint32_t GetPlatformId(Registry& registry)
{
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
    std::memset(info.szCSDVersion, ' ', sizeof info.szCSDVersion);
    if (!registry.GetVersionExA(&info))
        return 0;
    return info.dwPlatformId;
}

} // namespace tessivar
