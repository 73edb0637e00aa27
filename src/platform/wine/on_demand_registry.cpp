#include "platform/wine/on_demand_registry.h"

#include "platform/free_memory.h"
#include "platform/wine/wine_registry.h"

#include <array>
#include <chrono>
#include <future>
#include <system_error>

namespace tessivar::wine {

namespace {

// The predefined roots are not opened and never closed.
bool isRoot(HKEY key)
{
    return key >= HKEY_CLASSES_ROOT && key <= HKEY_DYN_DATA;
}

} // namespace

OnDemandRegistry::OnDemandRegistry(Opener open) : m_open(std::move(open)) {}

OnDemandRegistry::~OnDemandRegistry()
{
    settle();
}

void OnDemandRegistry::settle()
{
    if (m_dropping.joinable())
        m_dropping.join();
}

bool OnDemandRegistry::release()
{
    if (m_openKeys > 0 || m_batches > 0 || m_lock.holds > 0)
        return !m_registry;
    if (!m_registry)
        return true;
    settle();
    // The parsed tree was many small blocks; the program may now wait for hours.
    auto drop = [](std::unique_ptr<Registry> registry) {
        registry.reset();
        returnFreeMemory();
    };
    if (m_whileReading) {
        try {
            m_dropping = std::thread(drop, std::move(m_registry));
            return true;
        } catch (const std::system_error&) {
            // no thread to be had: taken apart here
        }
    }
    drop(std::move(m_registry));
    return true;
}

Registry& OnDemandRegistry::current()
{
    if (!m_registry)
        m_registry = m_open();
    return *m_registry;
}

bool OnDemandRegistry::canRead(std::string* why)
{
    if (!m_registry && m_whileReading && !m_reading)
        readAside();
    return current().canRead(why);
}

void OnDemandRegistry::readAside()
{
    std::future<std::unique_ptr<Registry>> pending;
    try {
        pending = std::async(std::launch::async, m_open);
    } catch (const std::system_error&) {
        return; // no thread to be had: read where it is asked for
    }
    m_reading = true;
    while (pending.wait_for(std::chrono::milliseconds(2)) != std::future_status::ready)
        m_whileReading();
    m_reading = false;
    std::unique_ptr<Registry> read = pending.get();
    // Something asked during a pass has read it already, and may hold its keys open.
    if (!m_registry)
        m_registry = std::move(read);
}

bool OnDemandRegistry::HeldLock::lock(std::string* why)
{
    if (!m_owner.current().prefixLock().lock(why))
        return false;
    ++holds;
    return true;
}

void OnDemandRegistry::HeldLock::unlock()
{
    if (holds == 0)
        return;
    --holds;
    m_owner.current().prefixLock().unlock();
}

LSTATUS OnDemandRegistry::opened(LSTATUS status)
{
    if (status == ERROR_SUCCESS)
        ++m_openKeys;
    return status;
}

LSTATUS OnDemandRegistry::RegOpenKeyExA(HKEY key, std::string_view subKey, std::uint32_t options,
                                        std::uint32_t samDesired, HKEY* result)
{
    return opened(current().RegOpenKeyExA(key, subKey, options, samDesired, result));
}

LSTATUS OnDemandRegistry::RegOpenKeyA(HKEY key, std::string_view subKey, HKEY* result)
{
    return opened(current().RegOpenKeyA(key, subKey, result));
}

LSTATUS OnDemandRegistry::RegCreateKeyExA(HKEY key, std::string_view subKey, std::uint32_t reserved,
                                          const char* className, std::uint32_t options, std::uint32_t samDesired,
                                          HKEY* result, std::uint32_t* disposition)
{
    return opened(
        current().RegCreateKeyExA(key, subKey, reserved, className, options, samDesired, result, disposition));
}

LSTATUS OnDemandRegistry::RegEnumKeyExA(HKEY key, std::uint32_t index, char* name, std::uint32_t* nameLength,
                                        char* className, std::uint32_t* classLength)
{
    return current().RegEnumKeyExA(key, index, name, nameLength, className, classLength);
}

LSTATUS OnDemandRegistry::RegEnumValueA(HKEY key, std::uint32_t index, char* name, std::uint32_t* nameLength,
                                        std::uint32_t* type, std::uint8_t* data, std::uint32_t* dataSize)
{
    return current().RegEnumValueA(key, index, name, nameLength, type, data, dataSize);
}

LSTATUS OnDemandRegistry::RegQueryValueExA(HKEY key, const char* valueName, std::uint32_t* type, std::uint8_t* data,
                                           std::uint32_t* dataSize)
{
    return current().RegQueryValueExA(key, valueName, type, data, dataSize);
}

LSTATUS OnDemandRegistry::RegSetValueExA(HKEY key, const char* valueName, std::uint32_t reserved, std::uint32_t type,
                                         const std::uint8_t* data, std::uint32_t size)
{
    return current().RegSetValueExA(key, valueName, reserved, type, data, size);
}

LSTATUS OnDemandRegistry::RegDeleteValueA(HKEY key, const char* valueName)
{
    return current().RegDeleteValueA(key, valueName);
}

LSTATUS OnDemandRegistry::RegCloseKey(HKEY key)
{
    const LSTATUS status = current().RegCloseKey(key);
    if (status == ERROR_SUCCESS && !isRoot(key) && m_openKeys > 0)
        --m_openKeys;
    return status;
}

LSTATUS OnDemandRegistry::RegDeleteKeyA(HKEY key, std::string_view subKey)
{
    return current().RegDeleteKeyA(key, subKey);
}

LSTATUS OnDemandRegistry::RegDeleteTreeA(HKEY key, std::string_view subKey)
{
    return current().RegDeleteTreeA(key, subKey);
}

bool OnDemandRegistry::GetVersionExA(OSVERSIONINFOA* info)
{
    return current().GetVersionExA(info);
}

bool OnDemandRegistry::isLinkKey(HKEY key, std::string_view name)
{
    return current().isLinkKey(key, name);
}

void OnDemandRegistry::readAheadValues(HKEY key, std::string_view keyPath, bool subtree)
{
    current().readAheadValues(key, keyPath, subtree);
}

LSTATUS OnDemandRegistry::queryRawValue(HKEY key, std::string_view valueName, std::uint32_t* type,
                                        std::vector<std::uint8_t>* data)
{
    return current().queryRawValue(key, valueName, type, data);
}

LSTATUS OnDemandRegistry::setRawValue(HKEY key, std::string_view valueName, std::uint32_t type,
                                      std::span<const std::uint8_t> data)
{
    return current().setRawValue(key, valueName, type, data);
}

bool OnDemandRegistry::canWrite(std::string* why)
{
    return current().canWrite(why);
}

void OnDemandRegistry::beginBatch()
{
    ++m_batches;
    current().beginBatch();
}

bool OnDemandRegistry::endBatch(std::string* why)
{
    if (m_batches > 0)
        --m_batches;
    return current().endBatch(why);
}

std::string OnDemandRegistry::lastWriteError() const
{
    return m_registry ? m_registry->lastWriteError() : std::string();
}

DriveTypeReader cachedDriveTypeReader(std::filesystem::path prefix)
{
    struct Cache {
        std::filesystem::path systemReg;
        std::filesystem::file_time_type time{};
        std::uintmax_t size = 0;
        bool filled = false;
        std::array<std::string, 26> settings;
    };
    auto cache = std::make_shared<Cache>();
    cache->systemReg = prefix / "system.reg";
    return [cache, prefix = std::move(prefix)](char lowerLetter) -> std::string {
        if (lowerLetter < 'a' || lowerLetter > 'z')
            return {};
        std::error_code error;
        const auto time = std::filesystem::last_write_time(cache->systemReg, error);
        const auto size = error ? 0 : std::filesystem::file_size(cache->systemReg, error);
        if (!cache->filled || time != cache->time || size != cache->size) {
            WineRegistry registry(prefix);
            const DriveTypeReader read = driveTypeReaderFor(registry);
            for (char letter = 'a'; letter <= 'z'; ++letter)
                cache->settings[static_cast<std::size_t>(letter - 'a')] = read(letter);
            cache->time = time;
            cache->size = size;
            cache->filled = true;
        }
        return cache->settings[static_cast<std::size_t>(lowerLetter - 'a')];
    };
}

} // namespace tessivar::wine
