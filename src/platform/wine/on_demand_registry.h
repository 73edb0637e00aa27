#pragma once

// A registry that reads the prefix's files when it is first asked something and lets go of them
// again on release(), so that a program waiting between scans holds no parsed registry, and each
// scan or repair reads the files as they are when it starts.

#include "platform/registry.h"
#include "platform/wine/drives.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <thread>

namespace tessivar::wine {

class OnDemandRegistry final : public Registry {
  public:
    using Opener = std::function<std::unique_ptr<Registry>()>;

    explicit OnDemandRegistry(Opener open);
    ~OnDemandRegistry() override;

    // Drops the parsed registry, unless a key is still open, a batch of writes is pending or its
    // prefix lock is held; true when nothing is held afterwards.
    bool release();
    bool holdsRegistry() const { return m_registry != nullptr; }
    // Waits until the registry released last has been taken apart.
    void settle();

    // A pass through the program's event loop. Given one, the files a scan asks about first
    // (canRead) are read on a thread of their own while the pass runs every few milliseconds, and
    // a released registry is taken apart on that thread too, so that a window goes on drawing and
    // answering while a large registry is read or let go.
    using Pass = std::function<void()>;
    void setWhileReading(Pass pass) { m_whileReading = std::move(pass); }

    LSTATUS RegOpenKeyExA(HKEY key, std::string_view subKey, std::uint32_t options, std::uint32_t samDesired,
                          HKEY* result) override;
    LSTATUS RegOpenKeyA(HKEY key, std::string_view subKey, HKEY* result) override;
    LSTATUS RegCreateKeyExA(HKEY key, std::string_view subKey, std::uint32_t reserved, const char* className,
                            std::uint32_t options, std::uint32_t samDesired, HKEY* result,
                            std::uint32_t* disposition) override;
    LSTATUS RegEnumKeyExA(HKEY key, std::uint32_t index, char* name, std::uint32_t* nameLength, char* className,
                          std::uint32_t* classLength) override;
    LSTATUS RegEnumValueA(HKEY key, std::uint32_t index, char* name, std::uint32_t* nameLength, std::uint32_t* type,
                          std::uint8_t* data, std::uint32_t* dataSize) override;
    LSTATUS RegQueryValueExA(HKEY key, const char* valueName, std::uint32_t* type, std::uint8_t* data,
                             std::uint32_t* dataSize) override;
    LSTATUS RegSetValueExA(HKEY key, const char* valueName, std::uint32_t reserved, std::uint32_t type,
                           const std::uint8_t* data, std::uint32_t size) override;
    LSTATUS RegDeleteValueA(HKEY key, const char* valueName) override;
    LSTATUS RegCloseKey(HKEY key) override;
    LSTATUS RegDeleteKeyA(HKEY key, std::string_view subKey) override;
    LSTATUS RegDeleteTreeA(HKEY key, std::string_view subKey) override;
    bool GetVersionExA(OSVERSIONINFOA* info) override;
    bool isLinkKey(HKEY key, std::string_view name) override;
    void readAheadValues(HKEY key, std::string_view keyPath, bool subtree) override;
    LSTATUS queryRawValue(HKEY key, std::string_view valueName, std::uint32_t* type,
                          std::vector<std::uint8_t>* data) override;
    LSTATUS setRawValue(HKEY key, std::string_view valueName, std::uint32_t type,
                        std::span<const std::uint8_t> data) override;
    bool canWrite(std::string* why) override;
    void beginBatch() override;
    bool endBatch(std::string* why) override;
    std::string lastWriteError() const override;
    bool canRead(std::string* why) override;
    PrefixLock& prefixLock() override { return m_lock; }

  private:
    // The lock of the registry read, which stays while it is held.
    class HeldLock final : public PrefixLock {
      public:
        explicit HeldLock(OnDemandRegistry& owner) : m_owner(owner) {}
        bool lock(std::string* why) override;
        void unlock() override;
        int holds = 0;

      private:
        OnDemandRegistry& m_owner;
    };

    Registry& current();
    LSTATUS opened(LSTATUS status);

    void readAside();

    Opener m_open;
    Pass m_whileReading;
    bool m_reading = false;
    std::unique_ptr<Registry> m_registry;
    std::thread m_dropping; // takes apart the registry released last
    long m_openKeys = 0;
    int m_batches = 0;
    HeldLock m_lock{*this};
};

// Drive types read from the prefix's HKLM\Software\Wine\Drives, kept until system.reg changes on
// disk: the section list asks for them at every rebuild, which must not read the whole registry.
DriveTypeReader cachedDriveTypeReader(std::filesystem::path prefix);

} // namespace tessivar::wine
