#pragma once

// The bytes of a registry file held in memory. Large files are read into memory that is neither
// zero-filled first nor mapped page by page in small pages, because for a file of hundreds of
// megabytes that costs more than reading it; and they can be read by a second thread, so that
// parsing starts with the first megabytes instead of after the last.

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <thread>

namespace tessivar::wine {

class RegTextBuffer {
public:
    static std::unique_ptr<RegTextBuffer> fromString(std::string text);
    // Reads the whole file. Returns null when it exists but cannot be read; `exists` says
    // whether there was a file at all (a missing file gives an empty buffer).
    static std::unique_ptr<RegTextBuffer> readFile(const std::filesystem::path& path, bool* exists);
    // As readFile(), but a large file is read by a second thread while the caller already reads
    // the text as it arrives (awaitBytes()); finishReading() then says whether it all came.
    static std::unique_ptr<RegTextBuffer> startReading(const std::filesystem::path& path, bool* exists);

    RegTextBuffer(const RegTextBuffer&) = delete;
    RegTextBuffer& operator=(const RegTextBuffer&) = delete;
    ~RegTextBuffer();

    // The text. While it is still arriving, only the bytes before awaitBytes()'s answer are there.
    std::string_view view() const { return {m_data, m_size}; }
    bool arriving() const { return m_reader.joinable(); }
    // Waits until the first `count` bytes have arrived or the read has ended; returns how many
    // bytes are there (fewer than `count` only when the read ended early).
    std::size_t awaitBytes(std::size_t count) const;
    // Waits for the end of the read. False when it failed or the file changed size meanwhile:
    // the text is then not the file's.
    bool finishReading();

private:
    RegTextBuffer() = default;
    void readInBackground(int fd, std::size_t expected);

    std::string m_string; // small files
    char* m_data = nullptr;
    std::size_t m_size = 0;
    void* m_mapping = nullptr; // large files
    std::size_t m_mappingSize = 0;

    // A read in the background publishes how many bytes have arrived; kReadEnded is set with the
    // last count, so that a waiter always sees the value change.
    static constexpr std::uint64_t kReadEnded = std::uint64_t{1} << 63;
    std::atomic<std::uint64_t> m_arrived{0};
    std::thread m_reader;
    bool m_readComplete = true;
};

} // namespace tessivar::wine
