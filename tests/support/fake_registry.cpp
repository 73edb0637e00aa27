#include "support/fake_registry.h"

#include "platform/utf16_text.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace tessivar::test {

namespace {

constexpr int kMaxLinkHops = 16;
constexpr std::uint32_t kWriteAccess = KEY_SET_VALUE | KEY_CREATE_SUB_KEY | 0x20 /* KEY_CREATE_LINK */ |
                                       0x10000 /* DELETE */ | 0x40000 /* WRITE_DAC */ | 0x80000 /* WRITE_OWNER */;
constexpr std::string_view kCurrentUserSid = "S-1-5-21-0-0-0-1000";
constexpr std::string_view kClassesPath = "Software\\Classes";
constexpr std::string_view kCurrentConfigPath = "System\\CurrentControlSet\\Hardware Profiles\\Current";

bool isPredefined(HKEY key)
{
    return key >= HKEY_CLASSES_ROOT && key <= HKEY_DYN_DATA;
}

bool isStringType(std::uint32_t type)
{
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

char16_t foldUnit(char16_t c)
{
    if (c >= u'a' && c <= u'z')
        return static_cast<char16_t>(c - 0x20);
    if (c < 0x80)
        return c;
    if ((c >= 0xE0 && c <= 0xFE && c != 0xF7) || (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) || (c >= 0x430 && c <= 0x44F))
        return static_cast<char16_t>(c - 0x20);
    if (c >= 0x450 && c <= 0x45F)
        return static_cast<char16_t>(c - 0x50);
    return c;
}

bool sameName(std::string_view a, std::string_view b)
{
    const bool ascii = std::all_of(a.begin(), a.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }) &&
                       std::all_of(b.begin(), b.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii) {
        if (a.size() != b.size())
            return false;
        for (std::size_t i = 0; i < a.size(); ++i) {
            if (foldUnit(static_cast<char16_t>(a[i])) != foldUnit(static_cast<char16_t>(b[i])))
                return false;
        }
        return true;
    }
    const std::u16string wa = utf8ToUtf16(a);
    const std::u16string wb = utf8ToUtf16(b);
    if (wa.size() != wb.size())
        return false;
    for (std::size_t i = 0; i < wa.size(); ++i) {
        if (foldUnit(wa[i]) != foldUnit(wb[i]))
            return false;
    }
    return true;
}

std::vector<std::string_view> components(std::string_view path)
{
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t end = std::min(path.find('\\', start), path.size());
        if (end > start)
            parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

std::shared_ptr<FakeRegistry::Key> findChild(const FakeRegistry::Key& key, std::string_view name)
{
    for (const auto& child : key.children) {
        if (sameName(child->name, name))
            return child;
    }
    return nullptr;
}

FakeRegistry::Value* findValueIn(FakeRegistry::Key& key, std::string_view name)
{
    for (auto& value : key.values) {
        if (sameName(value.name, name))
            return &value;
    }
    return nullptr;
}

void markDeleted(FakeRegistry::Key& key)
{
    key.deleted = true;
    for (const auto& child : key.children)
        markDeleted(*child);
}

void detach(const std::shared_ptr<FakeRegistry::Key>& key)
{
    markDeleted(*key);
    if (key->parent) {
        auto& siblings = key->parent->children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), key), siblings.end());
        key->parent = nullptr;
    }
}

// What the A calls hand out: string types as UTF-8, everything else as stored.
std::vector<std::uint8_t> narrowData(const FakeRegistry::Value& value)
{
    if (!isStringType(value.type))
        return value.data;
    const std::string text = utf16LeToUtf8(value.data);
    return {text.begin(), text.end()};
}

std::string_view nameOf(const char* valueName)
{
    return valueName ? std::string_view(valueName) : std::string_view();
}

// Writes `text` and its zero into a caller's buffer of *length bytes; false when it does not fit.
bool copyName(std::string_view text, char* buffer, std::uint32_t* length)
{
    if (text.size() + 1 > *length) {
        *length = static_cast<std::uint32_t>(text.size() + 1);
        return false;
    }
    std::memcpy(buffer, text.data(), text.size());
    buffer[text.size()] = '\0';
    *length = static_cast<std::uint32_t>(text.size());
    return true;
}

} // namespace

FakeRegistry::FakeRegistry()
    : m_machine(std::make_shared<Key>()), m_users(std::make_shared<Key>()), m_performance(std::make_shared<Key>()),
      m_dynData(std::make_shared<Key>())
{
    createBelow(m_machine, kClassesPath, nullptr);
    createBelow(m_machine, kCurrentConfigPath, nullptr);
    createBelow(m_users, kCurrentUserSid, nullptr);
}

FakeRegistry::~FakeRegistry() = default;

std::shared_ptr<FakeRegistry::Key> FakeRegistry::rootOf(HKEY hive) const
{
    switch (hive) {
    case HKEY_LOCAL_MACHINE:
        return m_machine;
    case HKEY_USERS:
        return m_users;
    case HKEY_PERFORMANCE_DATA:
        return m_performance;
    case HKEY_DYN_DATA:
        return m_dynData;
    case HKEY_CLASSES_ROOT:
        return resolve(m_machine, kClassesPath).key;
    case HKEY_CURRENT_USER:
        return resolve(m_users, kCurrentUserSid).key;
    case HKEY_CURRENT_CONFIG:
        return resolve(m_machine, kCurrentConfigPath).key;
    default:
        return nullptr;
    }
}

FakeRegistry::Lookup FakeRegistry::keyOfHandle(HKEY key, std::uint32_t access) const
{
    if (isPredefined(key)) {
        auto root = rootOf(key);
        return root ? Lookup{root, ERROR_SUCCESS} : Lookup{nullptr, ERROR_FILE_NOT_FOUND};
    }
    const auto it = m_handles.find(key);
    if (it == m_handles.end())
        return {nullptr, ERROR_INVALID_HANDLE};
    if (it->second.key->deleted)
        return {nullptr, ERROR_KEY_DELETED};
    if ((it->second.access & access) != access)
        return {nullptr, ERROR_ACCESS_DENIED};
    return {it->second.key, ERROR_SUCCESS};
}

FakeRegistry::Lookup FakeRegistry::resolve(const std::shared_ptr<Key>& start, std::string_view path, int hops) const
{
    if (!start)
        return {nullptr, ERROR_FILE_NOT_FOUND};
    std::shared_ptr<Key> current = start;
    for (const std::string_view part : components(path)) {
        std::shared_ptr<Key> child = findChild(*current, part);
        if (!child)
            return {nullptr, ERROR_FILE_NOT_FOUND};
        if (child->isLink) {
            if (hops >= kMaxLinkHops)
                return {nullptr, ERROR_FILE_NOT_FOUND};
            const Lookup target = resolve(rootOf(child->linkHive), child->linkPath, hops + 1);
            if (!target.key)
                return {nullptr, ERROR_FILE_NOT_FOUND};
            child = target.key;
        }
        current = child;
    }
    return {current, ERROR_SUCCESS};
}

FakeRegistry::Lookup FakeRegistry::resolve(HKEY hive, std::string_view path) const
{
    return resolve(rootOf(hive), path);
}

std::shared_ptr<FakeRegistry::Key> FakeRegistry::createBelow(const std::shared_ptr<Key>& start, std::string_view path,
                                                             bool* created)
{
    if (created)
        *created = false;
    std::shared_ptr<Key> current = start;
    for (const std::string_view part : components(path)) {
        std::shared_ptr<Key> child = findChild(*current, part);
        if (child && child->isLink) {
            child = resolve(current, part).key;
            if (!child)
                return nullptr;
        }
        if (!child) {
            child = std::make_shared<Key>();
            child->name = std::string(part);
            child->parent = current.get();
            current->children.push_back(child);
            if (created)
                *created = true;
        }
        current = child;
    }
    return current;
}

std::shared_ptr<FakeRegistry::Key> FakeRegistry::create(HKEY hive, std::string_view path)
{
    auto root = rootOf(hive);
    return root ? createBelow(root, path, nullptr) : nullptr;
}

HKEY FakeRegistry::allocate(std::shared_ptr<Key> key, std::uint32_t access)
{
    const HKEY handle = m_nextHandle;
    m_nextHandle += 4;
    m_handles.emplace(handle, Handle{std::move(key), access});
    ++m_handlesOpened;
    return handle;
}

LSTATUS FakeRegistry::refusedWrite()
{
    if (m_refuseWrites) {
        m_lastWriteError = m_refuseReason;
        return ERROR_ACCESS_DENIED;
    }
    if (m_failSaves && m_batchDepth == 0) {
        m_lastWriteError = m_failReason;
        return ERROR_CANTWRITE;
    }
    return ERROR_SUCCESS;
}

void FakeRegistry::noteChange()
{
    ++m_changeCount;
    if (m_batchDepth > 0)
        m_batchChanged = true;
    else
        ++m_saveCount;
}

// --- Registry ---

LSTATUS FakeRegistry::RegOpenKeyExA(HKEY key, std::string_view subKey, std::uint32_t options, std::uint32_t samDesired,
                                    HKEY* result)
{
    (void)options;
    if (!result)
        return ERROR_INVALID_PARAMETER;
    const Lookup parent = keyOfHandle(key, 0);
    if (!parent.key)
        return parent.status;
    const Lookup target = resolve(parent.key, subKey);
    if (!target.key)
        return target.status;
    if (target.key->denyFullAccess && (samDesired & kWriteAccess) != 0)
        return ERROR_ACCESS_DENIED;
    *result = allocate(target.key, samDesired);
    return ERROR_SUCCESS;
}

LSTATUS FakeRegistry::RegOpenKeyA(HKEY key, std::string_view subKey, HKEY* result)
{
    if (!result)
        return ERROR_INVALID_PARAMETER;
    if (subKey.empty() && isPredefined(key)) {
        *result = key;
        return ERROR_SUCCESS;
    }
    const Lookup parent = keyOfHandle(key, 0);
    if (!parent.key)
        return parent.status;
    const Lookup target = resolve(parent.key, subKey);
    if (!target.key)
        return target.status;
    *result = allocate(target.key, target.key->denyFullAccess ? KEY_READ : KEY_ALL_ACCESS);
    return ERROR_SUCCESS;
}

LSTATUS FakeRegistry::RegCreateKeyExA(HKEY key, std::string_view subKey, std::uint32_t reserved, const char* className,
                                      std::uint32_t options, std::uint32_t samDesired, HKEY* result,
                                      std::uint32_t* disposition)
{
    (void)reserved;
    (void)options;
    if (!result)
        return ERROR_INVALID_PARAMETER;
    const Lookup parent = keyOfHandle(key, 0);
    if (!parent.key)
        return parent.status;
    const Lookup existing = resolve(parent.key, subKey);
    if (existing.key) {
        if (existing.key->denyFullAccess && (samDesired & kWriteAccess) != 0)
            return ERROR_ACCESS_DENIED;
        *result = allocate(existing.key, samDesired);
        if (disposition)
            *disposition = REG_OPENED_EXISTING_KEY;
        return ERROR_SUCCESS;
    }
    if (const LSTATUS refused = refusedWrite(); refused != ERROR_SUCCESS)
        return refused;
    // The deepest existing ancestor decides whether a subkey may be made under it.
    std::shared_ptr<Key> deepest = parent.key;
    for (const std::string_view part : components(subKey)) {
        const Lookup next = resolve(deepest, part);
        if (!next.key)
            break;
        deepest = next.key;
    }
    if (deepest->denyFullAccess)
        return ERROR_ACCESS_DENIED;
    bool created = false;
    auto made = createBelow(parent.key, subKey, &created);
    if (!made)
        return ERROR_FILE_NOT_FOUND;
    if (className)
        made->className = className;
    noteChange();
    *result = allocate(made, samDesired);
    if (disposition)
        *disposition = REG_CREATED_NEW_KEY;
    return ERROR_SUCCESS;
}

LSTATUS FakeRegistry::RegEnumKeyExA(HKEY key, std::uint32_t index, char* name, std::uint32_t* nameLength,
                                    char* className, std::uint32_t* classLength)
{
    if (!name || !nameLength)
        return ERROR_INVALID_PARAMETER;
    const Lookup found = keyOfHandle(key, KEY_ENUMERATE_SUB_KEYS);
    if (!found.key)
        return found.status;
    if (index >= found.key->children.size())
        return ERROR_NO_MORE_ITEMS;
    const Key& child = *found.key->children[index];
    if (child.name.size() + 1 > *nameLength) {
        *nameLength = static_cast<std::uint32_t>(child.name.size() + 1);
        return ERROR_MORE_DATA;
    }
    if (className && classLength && child.className.size() + 1 > *classLength) {
        *classLength = static_cast<std::uint32_t>(child.className.size() + 1);
        return ERROR_MORE_DATA;
    }
    copyName(child.name, name, nameLength);
    if (className && classLength)
        copyName(child.className, className, classLength);
    else if (classLength)
        *classLength = static_cast<std::uint32_t>(child.className.size());
    return ERROR_SUCCESS;
}

LSTATUS FakeRegistry::RegEnumValueA(HKEY key, std::uint32_t index, char* name, std::uint32_t* nameLength,
                                    std::uint32_t* type, std::uint8_t* data, std::uint32_t* dataSize)
{
    if (!name || !nameLength || (data && !dataSize))
        return ERROR_INVALID_PARAMETER;
    const Lookup found = keyOfHandle(key, KEY_QUERY_VALUE);
    if (!found.key)
        return found.status;
    if (index >= found.key->values.size())
        return ERROR_NO_MORE_ITEMS;
    const Value& value = found.key->values[index];
    const std::vector<std::uint8_t> bytes = narrowData(value);
    if (value.name.size() + 1 > *nameLength) {
        *nameLength = static_cast<std::uint32_t>(value.name.size() + 1);
        return ERROR_MORE_DATA;
    }
    if (type)
        *type = value.type;
    if (data && bytes.size() > *dataSize) {
        *dataSize = static_cast<std::uint32_t>(bytes.size());
        return ERROR_MORE_DATA;
    }
    copyName(value.name, name, nameLength);
    if (data && !bytes.empty())
        std::memcpy(data, bytes.data(), bytes.size());
    if (dataSize)
        *dataSize = static_cast<std::uint32_t>(bytes.size());
    return ERROR_SUCCESS;
}

LSTATUS FakeRegistry::RegQueryValueExA(HKEY key, const char* valueName, std::uint32_t* type, std::uint8_t* data,
                                       std::uint32_t* dataSize)
{
    if (data && !dataSize)
        return ERROR_INVALID_PARAMETER;
    const Lookup found = keyOfHandle(key, KEY_QUERY_VALUE);
    if (!found.key)
        return found.status;
    const Value* value = findValueIn(*found.key, nameOf(valueName));
    if (!value)
        return ERROR_FILE_NOT_FOUND;
    const std::vector<std::uint8_t> bytes = narrowData(*value);
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

LSTATUS FakeRegistry::RegSetValueExA(HKEY key, const char* valueName, std::uint32_t reserved, std::uint32_t type,
                                     const std::uint8_t* data, std::uint32_t size)
{
    (void)reserved;
    if (!data && size > 0)
        return ERROR_INVALID_PARAMETER;
    std::vector<std::uint8_t> stored;
    if (isStringType(type))
        stored = utf8ToUtf16Le(std::string_view(reinterpret_cast<const char*>(data), size));
    else if (size > 0)
        stored.assign(data, data + size);
    return setRawValue(key, nameOf(valueName), type, stored);
}

LSTATUS FakeRegistry::RegDeleteValueA(HKEY key, const char* valueName)
{
    const Lookup found = keyOfHandle(key, KEY_SET_VALUE);
    if (!found.key)
        return found.status;
    auto& values = found.key->values;
    const auto it = std::find_if(values.begin(), values.end(),
                                 [&](const Value& value) { return sameName(value.name, nameOf(valueName)); });
    if (it == values.end())
        return ERROR_FILE_NOT_FOUND;
    if (const LSTATUS refused = refusedWrite(); refused != ERROR_SUCCESS)
        return refused;
    values.erase(it);
    noteChange();
    return ERROR_SUCCESS;
}

LSTATUS FakeRegistry::RegCloseKey(HKEY key)
{
    if (isPredefined(key))
        return ERROR_SUCCESS;
    return m_handles.erase(key) == 1 ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LSTATUS FakeRegistry::RegDeleteKeyA(HKEY key, std::string_view subKey)
{
    const Lookup parent = keyOfHandle(key, 0);
    if (!parent.key)
        return parent.status;
    auto parts = components(subKey);
    if (parts.empty())
        return ERROR_INVALID_PARAMETER;
    const std::string_view last = parts.back();
    const std::string_view parentPath = subKey.substr(0, subKey.rfind(last));
    const Lookup holder = resolve(parent.key, parentPath);
    if (!holder.key)
        return holder.status;
    // The final component is the key itself, a link included: never delete through a link.
    const auto target = findChild(*holder.key, last);
    if (!target)
        return ERROR_FILE_NOT_FOUND;
    if (!target->children.empty() || holder.key->denyFullAccess || target->denyFullAccess)
        return ERROR_ACCESS_DENIED;
    if (const LSTATUS refused = refusedWrite(); refused != ERROR_SUCCESS)
        return refused;
    detach(target);
    noteChange();
    return ERROR_SUCCESS;
}

LSTATUS FakeRegistry::RegDeleteTreeA(HKEY key, std::string_view subKey)
{
    const Lookup parent = keyOfHandle(key, 0);
    if (!parent.key)
        return parent.status;
    auto parts = components(subKey);
    if (parts.empty()) {
        if (parent.key->denyFullAccess)
            return ERROR_ACCESS_DENIED;
        if (const LSTATUS refused = refusedWrite(); refused != ERROR_SUCCESS)
            return refused;
        const auto children = parent.key->children;
        for (const auto& child : children)
            detach(child);
        parent.key->values.clear();
        noteChange();
        return ERROR_SUCCESS;
    }
    const std::string_view last = parts.back();
    const Lookup holder = resolve(parent.key, subKey.substr(0, subKey.rfind(last)));
    if (!holder.key)
        return holder.status;
    const auto target = findChild(*holder.key, last);
    if (!target)
        return ERROR_FILE_NOT_FOUND;
    if (holder.key->denyFullAccess || target->denyFullAccess)
        return ERROR_ACCESS_DENIED;
    if (const LSTATUS refused = refusedWrite(); refused != ERROR_SUCCESS)
        return refused;
    detach(target);
    noteChange();
    return ERROR_SUCCESS;
}

bool FakeRegistry::GetVersionExA(OSVERSIONINFOA* info)
{
    if (!info || m_failVersion || info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA))
        return false;
    info->dwMajorVersion = 10;
    info->dwMinorVersion = 0;
    info->dwBuildNumber = 19045;
    info->dwPlatformId = m_platformId;
    std::memset(info->szCSDVersion, 0, sizeof info->szCSDVersion);
    return true;
}

bool FakeRegistry::isLinkKey(HKEY key, std::string_view name)
{
    const Lookup parent = keyOfHandle(key, 0);
    if (!parent.key)
        return false;
    const auto child = findChild(*parent.key, name);
    return child && child->isLink;
}

LSTATUS FakeRegistry::queryRawValue(HKEY key, std::string_view valueName, std::uint32_t* type,
                                    std::vector<std::uint8_t>* data)
{
    const Lookup found = keyOfHandle(key, KEY_QUERY_VALUE);
    if (!found.key)
        return found.status;
    const Value* value = findValueIn(*found.key, valueName);
    if (!value)
        return ERROR_FILE_NOT_FOUND;
    if (type)
        *type = value->type;
    if (data)
        *data = value->data;
    return ERROR_SUCCESS;
}

LSTATUS FakeRegistry::setRawValue(HKEY key, std::string_view valueName, std::uint32_t type,
                                  std::span<const std::uint8_t> data)
{
    const Lookup found = keyOfHandle(key, KEY_SET_VALUE);
    if (!found.key)
        return found.status;
    if (found.key->isLink)
        return ERROR_ACCESS_DENIED;
    if (const LSTATUS refused = refusedWrite(); refused != ERROR_SUCCESS)
        return refused;
    if (Value* existing = findValueIn(*found.key, valueName)) {
        existing->type = type;
        existing->data.assign(data.begin(), data.end());
    } else {
        found.key->values.push_back(Value{std::string(valueName), type, {data.begin(), data.end()}});
    }
    noteChange();
    return ERROR_SUCCESS;
}

bool FakeRegistry::canWrite(std::string* why)
{
    if (!m_refuseWrites)
        return true;
    if (why)
        *why = m_refuseReason;
    return false;
}

bool FakeRegistry::canRead(std::string* why)
{
    if (whileReading)
        whileReading();
    if (m_unreadableReason.empty())
        return true;
    if (why)
        *why = m_unreadableReason;
    return false;
}

void FakeRegistry::beginBatch()
{
    ++m_batchDepth;
}

bool FakeRegistry::endBatch(std::string* why)
{
    if (m_batchDepth == 0)
        return true;
    if (--m_batchDepth > 0)
        return true;
    const bool changed = std::exchange(m_batchChanged, false);
    if (!changed)
        return true;
    ++m_saveCount;
    if (m_failSaves) {
        m_lastWriteError = m_failReason;
        if (why)
            *why = m_failReason;
        return false;
    }
    return true;
}

std::string FakeRegistry::lastWriteError() const
{
    return m_lastWriteError;
}

// --- Building ---

void FakeRegistry::makeKey(HKEY hive, std::string_view path)
{
    create(hive, path);
}

void FakeRegistry::setString(HKEY hive, std::string_view path, std::string_view name, std::string_view text,
                             std::uint32_t type)
{
    std::string withZero(text);
    withZero.push_back('\0');
    setBinary(hive, path, name, utf8ToUtf16Le(withZero), type);
}

void FakeRegistry::setMultiString(HKEY hive, std::string_view path, std::string_view name,
                                  const std::vector<std::string>& items)
{
    std::string joined;
    for (const auto& item : items) {
        joined += item;
        joined.push_back('\0');
    }
    joined.push_back('\0');
    setBinary(hive, path, name, utf8ToUtf16Le(joined), REG_MULTI_SZ);
}

void FakeRegistry::setDword(HKEY hive, std::string_view path, std::string_view name, std::uint32_t value)
{
    setBinary(hive, path, name,
              {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
               static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)},
              REG_DWORD);
}

void FakeRegistry::setBinary(HKEY hive, std::string_view path, std::string_view name, std::vector<std::uint8_t> bytes,
                             std::uint32_t type)
{
    auto key = create(hive, path);
    if (!key)
        return;
    if (Value* existing = findValueIn(*key, name)) {
        existing->type = type;
        existing->data = std::move(bytes);
    } else {
        key->values.push_back(Value{std::string(name), type, std::move(bytes)});
    }
}

void FakeRegistry::setClass(HKEY hive, std::string_view path, std::string_view className)
{
    if (auto key = create(hive, path))
        key->className = std::string(className);
}

void FakeRegistry::makeLink(HKEY hive, std::string_view path, HKEY targetHive, std::string_view targetPath)
{
    const auto parts = components(path);
    if (parts.empty())
        return;
    const std::string_view last = parts.back();
    auto holder = create(hive, path.substr(0, path.rfind(last)));
    if (!holder)
        return;
    auto link = findChild(*holder, last);
    if (!link) {
        link = std::make_shared<Key>();
        link->name = std::string(last);
        link->parent = holder.get();
        holder->children.push_back(link);
    }
    link->isLink = true;
    link->linkHive = targetHive;
    link->linkPath = std::string(targetPath);
}

void FakeRegistry::denyFullAccess(HKEY hive, std::string_view path)
{
    if (auto key = create(hive, path))
        key->denyFullAccess = true;
}

// --- Looking ---

bool FakeRegistry::keyExists(HKEY hive, std::string_view path) const
{
    return resolve(hive, path).key != nullptr;
}

const FakeRegistry::Value* FakeRegistry::findValue(HKEY hive, std::string_view path, std::string_view name) const
{
    const Lookup found = resolve(hive, path);
    return found.key ? findValueIn(*found.key, name) : nullptr;
}

bool FakeRegistry::valueExists(HKEY hive, std::string_view path, std::string_view name) const
{
    return findValue(hive, path, name) != nullptr;
}

std::optional<std::uint32_t> FakeRegistry::valueType(HKEY hive, std::string_view path, std::string_view name) const
{
    const Value* value = findValue(hive, path, name);
    return value ? std::optional(value->type) : std::nullopt;
}

std::optional<std::vector<std::uint8_t>> FakeRegistry::valueBytes(HKEY hive, std::string_view path,
                                                                  std::string_view name) const
{
    const Value* value = findValue(hive, path, name);
    return value ? std::optional(value->data) : std::nullopt;
}

std::optional<std::string> FakeRegistry::valueText(HKEY hive, std::string_view path, std::string_view name) const
{
    const Value* value = findValue(hive, path, name);
    if (!value)
        return std::nullopt;
    return utf16LeToUtf8(value->data);
}

std::vector<std::string> FakeRegistry::subkeyNames(HKEY hive, std::string_view path) const
{
    std::vector<std::string> names;
    if (const Lookup found = resolve(hive, path); found.key) {
        for (const auto& child : found.key->children)
            names.push_back(child->name);
    }
    return names;
}

std::vector<std::string> FakeRegistry::valueNames(HKEY hive, std::string_view path) const
{
    std::vector<std::string> names;
    if (const Lookup found = resolve(hive, path); found.key) {
        for (const auto& value : found.key->values)
            names.push_back(value.name);
    }
    return names;
}

// --- Faults ---

void FakeRegistry::refuseWrites(std::string reason)
{
    m_refuseWrites = true;
    m_refuseReason = std::move(reason);
}

void FakeRegistry::allowWrites()
{
    m_refuseWrites = false;
    m_refuseReason.clear();
}

void FakeRegistry::failSaves(std::string reason)
{
    m_failSaves = true;
    m_failReason = std::move(reason);
}

} // namespace tessivar::test
