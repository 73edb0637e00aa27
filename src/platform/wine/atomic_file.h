#pragma once

// Replacing a file so that a crash at any moment leaves either the old or the new content.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace tessivar::wine {

// What identifies the content last read from a path: when any of it differs, the file was
// replaced or rewritten since.
struct FileStamp {
    bool exists = false;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t size = 0;
    std::int64_t modifiedNanoseconds = 0;
    bool operator==(const FileStamp&) const = default;
};

FileStamp stampOf(const std::filesystem::path& path);

// The file a write to `path` really changes: `path` itself, or the end of its symlink chain.
std::filesystem::path writeTarget(const std::filesystem::path& path);

// Writes `content` to a new file beside the target of `path`, flushes it, gives it the mode of
// the file it replaces, renames it over that file and flushes the folder. A symlink at `path`
// stays and points at the new content. Returns "" on success, else why it failed (the old file
// is then untouched and no temporary file is left).
std::string replaceFileAtomically(const std::filesystem::path& path, std::string_view content);
// The same, with the content handed over in pieces: `produce` calls the sink it gets for each
// piece and returns false when it could not make the whole content.
using ContentSink = std::function<bool(std::string_view)>;
std::string replaceFileAtomically(const std::filesystem::path& path,
                                  const std::function<bool(const ContentSink&)>& produce);

} // namespace tessivar::wine
