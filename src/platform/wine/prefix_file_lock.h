#pragma once

// The prefix lock between Tessivar processes: flock on the prefix folder itself, so that nothing
// is added to the user's prefix and a read-only prefix still locks. The kernel drops the lock
// when its holder ends, however it ends.

#include "platform/prefix_lock.h"

#include <chrono>
#include <filesystem>

namespace tessivar::wine {

inline constexpr std::chrono::milliseconds kPrefixLockWait{30000};

class PrefixFileLock final : public PrefixLock {
  public:
    explicit PrefixFileLock(std::filesystem::path prefix, std::chrono::milliseconds wait = kPrefixLockWait);
    ~PrefixFileLock() override;
    PrefixFileLock(const PrefixFileLock&) = delete;
    PrefixFileLock& operator=(const PrefixFileLock&) = delete;

    // False when the prefix is missing or not a folder, or another process held the lock for the
    // whole wait.
    bool lock(std::string* why) override;
    void unlock() override;
    bool held() const { return m_depth > 0; }

  private:
    std::filesystem::path m_prefix;
    std::chrono::milliseconds m_wait;
    int m_fd = -1;
    int m_depth = 0;
};

} // namespace tessivar::wine
