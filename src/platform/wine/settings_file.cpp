#include "platform/wine/settings_file.h"

#include "platform/wine/posix_file.h"
#include "platform/wine/settings_text.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace tessivar::wine {

namespace {

enum class Load { missing, loaded, damaged };

constexpr std::int64_t kUntrustedChangeNanoseconds = 1'000'000'000;

struct Loaded {
    Load state = Load::missing;
    SettingsDocument document;
};

// The whole file, or nullopt with errno set (EFBIG when it is too large to be a settings file).
std::optional<std::string> readWhole(const std::filesystem::path& file)
{
    std::string bytes;
    switch (readRegularFile(file, bytes, kMaxSettingsFileSize)) {
    case FileRead::ok:
        return bytes;
    case FileRead::missing:
        errno = ENOENT;
        break;
    case FileRead::notAFile:
        errno = EISDIR;
        break;
    case FileRead::tooLarge:
        errno = EFBIG;
        break;
    case FileRead::failed:
        if (errno == 0)
            errno = EIO;
        break;
    }
    return std::nullopt;
}

Loaded load(const std::filesystem::path& file)
{
    auto bytes = readWhole(file);
    if (!bytes)
        return Loaded{errno == ENOENT ? Load::missing : Load::damaged, {}};
    auto document = ParseSettingsText(*bytes);
    if (!document)
        return Loaded{Load::damaged, {}};
    return Loaded{Load::loaded, std::move(*document)};
}

bool moveAside(const std::filesystem::path& file)
{
    for (int n = 1; n <= 9999; ++n) {
        std::filesystem::path aside = file;
        aside += ".corrupt-" + std::to_string(n);
        std::error_code error;
        if (std::filesystem::exists(std::filesystem::symlink_status(aside, error)))
            continue;
        // Under the lock no other instance of ours races for the name.
        if (::rename(file.c_str(), aside.c_str()) == 0) {
            syncFolder(file.parent_path());
            return true;
        }
        return errno == ENOENT;
    }
    return false;
}

bool replaceAtomically(const std::filesystem::path& file, std::string_view bytes)
{
    static std::atomic<unsigned> counter{0};
    std::filesystem::path temporary = file;
    temporary += ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    FileDescriptor fd(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (!fd.valid())
        return false;
    const bool written = writeAll(fd.get(), bytes) && ::fsync(fd.get()) == 0;
    if (!fd.close() || !written || ::rename(temporary.c_str(), file.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    syncFolder(file.parent_path());
    return true;
}

std::filesystem::path absoluteFromEnvironment(const char* name)
{
    const char* value = std::getenv(name);
    if (!value || !*value)
        return {};
    std::filesystem::path folder(value);
    return folder.is_absolute() ? folder : std::filesystem::path();
}

} // namespace

SettingsFile::SettingsFile(std::filesystem::path file, std::string_view application, std::string_view section)
    : m_file(std::move(file)), m_sectionName(std::string(application) + "/" + std::string(section))
{
}

std::filesystem::path SettingsFile::defaultPath()
{
    std::filesystem::path config = absoluteFromEnvironment("XDG_CONFIG_HOME");
    if (config.empty()) {
        const std::filesystem::path home = absoluteFromEnvironment("HOME");
        if (home.empty())
            return {};
        config = home / ".config";
    }
    return config / "tessivar" / "settings.ini";
}

std::optional<std::string> SettingsFile::read(std::string_view key)
{
    if (m_file.empty())
        return std::nullopt;
    // Taken before the read: a file replaced meanwhile then differs from it, and is read again.
    const FileStamp stamp = stampOf(m_file);
    if (!m_cacheValid || !(stamp == m_cacheStamp)) {
        Loaded loaded = load(m_file);
        m_cacheDocument.reset();
        if (loaded.state == Load::loaded)
            m_cacheDocument = std::move(loaded.document);
        m_cacheStamp = stamp;
        // A change within the same tick of the file system's clock would not move the time.
        const auto now =
            std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::system_clock::now().time_since_epoch())
                .count();
        m_cacheValid = now - stamp.modifiedNanoseconds > kUntrustedChangeNanoseconds;
    }
    if (!m_cacheDocument)
        return std::nullopt;
    const auto* entry = m_cacheDocument->find(m_sectionName, key);
    if (!entry)
        return std::nullopt;
    return entry->value;
}

bool SettingsFile::write(std::string_view key, std::string_view value)
{
    if (m_file.empty() || key.empty())
        return false;
    const std::filesystem::path folder = m_file.parent_path();
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error)
        return false;

    std::filesystem::path lockPath = m_file;
    lockPath += ".lock";
    FileDescriptor lock(::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    if (!lock.valid())
        return false;
    while (::flock(lock.get(), LOCK_EX) != 0)
        if (errno != EINTR)
            return false;

    m_cacheValid = false;
    Loaded loaded = load(m_file);
    if (loaded.state == Load::damaged) {
        if (!moveAside(m_file))
            return false;
        loaded.document = {};
    }
    loaded.document.set(m_sectionName, key, value);
    const std::string text = SettingsText(loaded.document);
    // A file we could not read back would be set aside as damaged and every setting lost.
    if (text.size() > kMaxSettingsFileSize)
        return false;
    return replaceAtomically(m_file, text);
    // The lock is released when `lock` closes.
}

} // namespace tessivar::wine
