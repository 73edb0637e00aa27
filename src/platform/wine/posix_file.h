#pragma once

// The few POSIX file helpers the back-end's writers share.

#include <filesystem>
#include <string_view>

namespace tessivar::wine {

// Owns a file descriptor and closes it when it goes.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor();
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    // Closes now and says whether the close succeeded (it can report a late write error).
    bool close();

private:
    int m_fd;
};

// Writes every byte, going on after interruptions; false on an error.
bool writeAll(int fd, std::string_view bytes);
// Flushes a folder, so that a file created or renamed in it survives a crash.
bool syncFolder(const std::filesystem::path& folder);

} // namespace tessivar::wine
