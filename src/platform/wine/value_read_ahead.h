#pragma once

// Decodes the values of keys that are about to be read, on a thread of its own: a scan reads
// every value of large subtrees once, and decoding them is work a second processor can take off
// the thread that walks them. The keys' trees must not change while it runs: whoever changes
// them calls stop() first.

#include <atomic>
#include <deque>
#include <mutex>
#include <thread>

namespace tessivar::wine {

class RegKey;

class ValueReadAhead {
  public:
    ValueReadAhead() = default;
    ValueReadAhead(const ValueReadAhead&) = delete;
    ValueReadAhead& operator=(const ValueReadAhead&) = delete;
    ~ValueReadAhead() { stop(); }

    // Queues the values of `key`, and with `subtree` those of every key below it in the order a
    // depth-first walk visits them (registry links are not followed).
    void add(RegKey* key, bool subtree);
    // Drops what is queued and returns once the thread has finished the key at hand.
    void stop();

  private:
    struct Request {
        RegKey* key;
        bool subtree;
    };
    void run();

    std::mutex m_mutex;
    std::deque<Request> m_queue;
    bool m_running = false;
    std::atomic<bool> m_stopping{false};
    std::thread m_thread;
};

} // namespace tessivar::wine
