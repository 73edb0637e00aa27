#pragma once

// One writer at a time per prefix. Everything that changes a prefix (a registry write of any
// command or window, a repair, a restore, deleting a backup) holds this lock across reading,
// changing and saving, so that two writers never save over each other's changes.

#include <string>

namespace tessivar {

class PrefixLock {
  public:
    virtual ~PrefixLock() = default;

    // Takes the lock, waiting a bounded time while another writer holds it. Calls nest: only the
    // outermost one waits, and the lock goes with the matching last unlock(). Returns false, with
    // one line for the user in `why`, when it could not be had; nothing is held then.
    virtual bool lock(std::string* why) = 0;
    virtual void unlock() = 0;
};

// For back-ends that no other process writes to (the in-memory fakes).
class NoPrefixLock final : public PrefixLock {
  public:
    bool lock(std::string*) override { return true; }
    void unlock() override {}
};

// Holds the lock for a scope, when it could be had.
class PrefixLockScope {
  public:
    explicit PrefixLockScope(PrefixLock& lock) : m_lock(lock), m_held(lock.lock(&m_why)) {}
    ~PrefixLockScope() { release(); }
    PrefixLockScope(const PrefixLockScope&) = delete;
    PrefixLockScope& operator=(const PrefixLockScope&) = delete;

    bool held() const { return m_held; }
    // Why it is not held; empty when it is.
    const std::string& why() const { return m_why; }
    void release()
    {
        if (m_held)
            m_lock.unlock();
        m_held = false;
    }

  private:
    PrefixLock& m_lock;
    std::string m_why;
    bool m_held = false;
};

} // namespace tessivar
