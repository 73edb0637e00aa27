#pragma once

// The bytes of a registry file held in memory. Large files are read into memory that is neither
// zero-filled first nor mapped page by page in small pages, because for a file of hundreds of
// megabytes that costs more than reading it.

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace tessivar::wine {

class RegTextBuffer {
public:
    static std::unique_ptr<RegTextBuffer> fromString(std::string text);
    // Reads the whole file. Returns null when it exists but cannot be read; `exists` says
    // whether there was a file at all (a missing file gives an empty buffer).
    static std::unique_ptr<RegTextBuffer> readFile(const std::filesystem::path& path, bool* exists);

    RegTextBuffer(const RegTextBuffer&) = delete;
    RegTextBuffer& operator=(const RegTextBuffer&) = delete;
    ~RegTextBuffer();

    std::string_view view() const { return {m_data, m_size}; }

private:
    RegTextBuffer() = default;

    std::string m_string; // small files
    char* m_data = nullptr;
    std::size_t m_size = 0;
    void* m_mapping = nullptr; // large files
    std::size_t m_mappingSize = 0;
};

} // namespace tessivar::wine
