#include "platform/wine/prefix_file_lock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

namespace tessivar::wine {

namespace {

constexpr std::chrono::milliseconds kPoll{20};

} // namespace

PrefixFileLock::PrefixFileLock(std::filesystem::path prefix, std::chrono::milliseconds wait)
    : m_prefix(std::move(prefix)), m_wait(wait)
{
}

PrefixFileLock::~PrefixFileLock()
{
    if (m_fd >= 0)
        ::close(m_fd); // closing drops the lock
}

bool PrefixFileLock::lock(std::string* why)
{
    if (m_depth > 0) {
        ++m_depth;
        return true;
    }
    const auto refuse = [&](const std::string& message) {
        if (why)
            *why = message;
        return false;
    };
    if (m_fd < 0)
        m_fd = ::open(m_prefix.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_fd < 0) {
        if (errno == ENOTDIR)
            return refuse("The Wine prefix " + m_prefix.string() + " is not a folder");
        return refuse("The Wine prefix " + m_prefix.string() + " does not exist");
    }
    const auto deadline = std::chrono::steady_clock::now() + m_wait;
    for (;;) {
        if (::flock(m_fd, LOCK_EX | LOCK_NB) == 0)
            break;
        if (errno != EWOULDBLOCK && errno != EINTR)
            return refuse("The Wine prefix " + m_prefix.string() + " cannot be locked for changes");
        if (std::chrono::steady_clock::now() >= deadline)
            return refuse("Another Tessivar is changing the Wine prefix " + m_prefix.string() +
                          ": nothing was changed, try again when it has finished");
        std::this_thread::sleep_for(kPoll);
    }
    m_depth = 1;
    return true;
}

void PrefixFileLock::unlock()
{
    if (m_depth == 0 || --m_depth > 0)
        return;
    ::flock(m_fd, LOCK_UN);
}

} // namespace tessivar::wine
