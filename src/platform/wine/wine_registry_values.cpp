// WineRegistry: the calls on values, and the memos that let a walk read the value it just
// enumerated without looking it up and converting it again.

#include "platform/wine/reg_text.h"
#include "platform/wine/wine_registry.h"
#include "platform/wine/wine_registry_text.h"

#include <cstring>

namespace tessivar::wine {

namespace {

std::u16string valueNameOf(const char* name)
{
    return name ? utf8ToUtf16(name) : std::u16string();
}

} // namespace

const std::string& WineRegistry::narrowed(const RegValue& value)
{
    if (!isStringType(value.type))
        return value.data;
    if (!memoHolds(m_memos.narrowed, m_narrowMemo.stamp) || m_narrowMemo.value != &value) {
        assignDataText(m_narrowMemo.bytes, value.data);
        m_narrowMemo.stamp = m_changeStamp;
        m_narrowMemo.value = &value;
    }
    return m_narrowMemo.bytes;
}

const RegValue* WineRegistry::lookUpValue(HKEY handle, RegKey* key, std::string_view name)
{
    if (memoHolds(m_memos.value, m_valueMemo.stamp) && m_valueMemo.handle == handle && m_valueMemo.name == name)
        return m_valueMemo.value;
    const RegValue* value = key->findValue(utf8ToUtf16(name));
    m_valueMemo.stamp = m_changeStamp;
    m_valueMemo.handle = handle;
    m_valueMemo.name.assign(name);
    m_valueMemo.value = value;
    return value;
}

LSTATUS WineRegistry::RegEnumValueA(HKEY key, std::uint32_t index, char* name, std::uint32_t* nameLength,
                                    std::uint32_t* type, std::uint8_t* data, std::uint32_t* dataSize)
{
    if (!name || !nameLength || (data && !dataSize))
        return ERROR_INVALID_PARAMETER;
    Location location;
    if (const LSTATUS status = resolveHandle(key, location); status != ERROR_SUCCESS)
        return status;
    if (location.hive < 0 || index >= location.key->values().size())
        return ERROR_NO_MORE_ITEMS;
    const RegValue& value = location.key->values()[index];
    assignNameText(m_nameText, value.name);
    if (m_nameText.size() + 1 > *nameLength) {
        *nameLength = static_cast<std::uint32_t>(m_nameText.size() + 1);
        return ERROR_MORE_DATA;
    }
    const std::string& bytes = narrowed(value);
    if (type)
        *type = value.type;
    if (data && bytes.size() > *dataSize) {
        *dataSize = static_cast<std::uint32_t>(bytes.size());
        return ERROR_MORE_DATA;
    }
    copyName(m_nameText, name, nameLength);
    if (data && !bytes.empty())
        std::memcpy(data, bytes.data(), bytes.size());
    if (dataSize)
        *dataSize = static_cast<std::uint32_t>(bytes.size());
    // Names are unique within a key, so this name finds this value again.
    m_valueMemo.stamp = m_changeStamp;
    m_valueMemo.handle = key;
    m_valueMemo.name.assign(m_nameText);
    m_valueMemo.value = &value;
    return ERROR_SUCCESS;
}

LSTATUS WineRegistry::RegQueryValueExA(HKEY key, const char* valueName, std::uint32_t* type, std::uint8_t* data,
                                       std::uint32_t* dataSize)
{
    if (data && !dataSize)
        return ERROR_INVALID_PARAMETER;
    Location location;
    if (const LSTATUS status = resolveHandle(key, location); status != ERROR_SUCCESS)
        return status;
    const RegValue* value =
        location.hive < 0
            ? nullptr
            : lookUpValue(key, location.key, valueName ? std::string_view(valueName) : std::string_view());
    if (!value)
        return ERROR_FILE_NOT_FOUND;
    const std::string& bytes = narrowed(*value);
    if (type)
        *type = value->type;
    if (data && bytes.size() > *dataSize) {
        *dataSize = static_cast<std::uint32_t>(bytes.size());
        return ERROR_MORE_DATA;
    }
    if (data && !bytes.empty())
        std::memcpy(data, bytes.data(), bytes.size());
    if (dataSize)
        *dataSize = static_cast<std::uint32_t>(bytes.size());
    return ERROR_SUCCESS;
}

LSTATUS WineRegistry::setValueAt(HKEY key, std::u16string_view name, std::uint32_t type, std::string data)
{
    if (name.size() > kMaxValueNameLength)
        return ERROR_INVALID_PARAMETER; // Wine refuses it, and would drop it from the file
    Location location;
    if (const LSTATUS status = resolveHandle(key, location); status != ERROR_SUCCESS)
        return status;
    if (std::string refusal = refusalFor(location.hive); !refusal.empty()) {
        m_lastWriteError = refusal;
        return ERROR_ACCESS_DENIED;
    }
    Change change{Change::Kind::setValue, pathOf(location.key), std::u16string(name), type, data, {}, false,
                  filetimeNow()};
    location.key->setValue(name, type, std::move(data), change.time);
    m_hives[location.hive].pending.push_back(std::move(change));
    return afterChange(location.hive);
}

LSTATUS WineRegistry::RegSetValueExA(HKEY key, const char* valueName, std::uint32_t reserved, std::uint32_t type,
                                     const std::uint8_t* data, std::uint32_t size)
{
    (void)reserved;
    if (!data && size > 0)
        return ERROR_INVALID_PARAMETER;
    const std::string_view bytes(reinterpret_cast<const char*>(data), data ? size : 0);
    std::string stored = isStringType(type) ? utf16ToBytes(utf8ToUtf16(bytes)) : std::string(bytes);
    return setValueAt(key, valueNameOf(valueName), type, std::move(stored));
}

LSTATUS WineRegistry::RegDeleteValueA(HKEY key, const char* valueName)
{
    Location location;
    if (const LSTATUS status = resolveHandle(key, location); status != ERROR_SUCCESS)
        return status;
    const std::u16string name = valueNameOf(valueName);
    if (location.hive < 0 || !location.key->findValue(name))
        return ERROR_FILE_NOT_FOUND;
    if (std::string refusal = refusalFor(location.hive); !refusal.empty()) {
        m_lastWriteError = refusal;
        return ERROR_ACCESS_DENIED;
    }
    Change change{Change::Kind::deleteValue, pathOf(location.key), name, 0, {}, {}, false, filetimeNow()};
    location.key->removeValue(name, change.time);
    m_hives[location.hive].pending.push_back(std::move(change));
    return afterChange(location.hive);
}

LSTATUS WineRegistry::queryRawValue(HKEY key, std::string_view valueName, std::uint32_t* type,
                                    std::vector<std::uint8_t>* data)
{
    Location location;
    if (const LSTATUS status = resolveHandle(key, location); status != ERROR_SUCCESS)
        return status;
    const RegValue* value = location.hive < 0 ? nullptr : location.key->findValue(utf8ToUtf16(valueName));
    if (!value)
        return ERROR_FILE_NOT_FOUND;
    if (type)
        *type = value->type;
    if (data)
        data->assign(value->data.begin(), value->data.end());
    return ERROR_SUCCESS;
}

LSTATUS WineRegistry::setRawValue(HKEY key, std::string_view valueName, std::uint32_t type,
                                  std::span<const std::uint8_t> data)
{
    return setValueAt(key, utf8ToUtf16(valueName), type, std::string(data.begin(), data.end()));
}

} // namespace tessivar::wine
