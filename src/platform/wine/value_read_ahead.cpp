#include "platform/wine/value_read_ahead.h"

#include "platform/wine/reg_file.h"

#include <system_error>
#include <vector>

namespace tessivar::wine {

void ValueReadAhead::add(RegKey* key, bool subtree)
{
    std::lock_guard lock(m_mutex);
    m_queue.push_back({key, subtree});
    if (m_running)
        return;
    // The previous thread ran out of work and has ended, or is about to.
    if (m_thread.joinable())
        m_thread.join();
    try {
        m_thread = std::thread([this] { run(); });
        m_running = true;
    } catch (const std::system_error&) {
        m_queue.clear(); // no thread: the values are decoded when they are read, as always
    }
}

void ValueReadAhead::stop()
{
    {
        std::lock_guard lock(m_mutex);
        m_queue.clear();
        if (!m_thread.joinable())
            return;
        m_stopping.store(true, std::memory_order_relaxed);
    }
    m_thread.join();
    m_stopping.store(false, std::memory_order_relaxed);
    std::lock_guard lock(m_mutex);
    m_running = false;
}

void ValueReadAhead::run()
{
    std::vector<RegKey*> pending;
    for (;;) {
        Request request{};
        {
            std::lock_guard lock(m_mutex);
            if (m_queue.empty() || m_stopping.load(std::memory_order_relaxed)) {
                m_running = false;
                return;
            }
            request = m_queue.front();
            m_queue.pop_front();
        }
        pending.assign(1, request.key);
        while (!pending.empty() && !m_stopping.load(std::memory_order_relaxed)) {
            RegKey* key = pending.back();
            pending.pop_back();
            key->decodeValues();
            if (!request.subtree)
                break;
            for (std::size_t i = key->childCount(); i-- > 0;) {
                if (!key->child(i)->isLink())
                    pending.push_back(key->child(i));
            }
        }
    }
}

} // namespace tessivar::wine
