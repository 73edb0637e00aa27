#pragma once

// The settings store on Linux: one per-user text file (format in settings_text.h), by default
// $XDG_CONFIG_HOME/tessivar/settings.ini (~/.config when XDG_CONFIG_HOME is unset or relative).
//
// A read parses the file only when it is not the file last read: another identity, size or time
// of change (and a file changed within the last second is not trusted to show its next change in
// its time, so it is read again). Every write takes an advisory lock
// (flock on "<file>.lock" beside it), reads the file afresh, changes one key, and replaces the
// file atomically (temporary file in the same folder, fsync, rename, fsync of the folder), so two
// running instances never lose each other's keys and a crash leaves the old or the new file.
//
// A file that cannot be read or parsed (or is larger than kMaxSettingsFileSize) gives every
// reader nullopt, i.e. its default. The next write moves it aside as "<file>.corrupt-<n>" (the
// first unused n) before writing a fresh file; when it cannot be moved aside the write is refused,
// so a damaged file is never overwritten.

#include "platform/settings_backend.h"
#include "platform/wine/atomic_file.h"
#include "platform/wine/settings_text.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tessivar::wine {

class SettingsFile final : public SettingsBackend {
  public:
    // `application` and `section` name the part of the file this store reads and writes
    // ("Tessivar v4.0", "Settings"); other sections in the file are kept as they are.
    SettingsFile(std::filesystem::path file, std::string_view application, std::string_view section = "Settings");

    // $XDG_CONFIG_HOME/tessivar/settings.ini, or $HOME/.config/tessivar/settings.ini; empty when
    // neither variable gives an absolute folder.
    static std::filesystem::path defaultPath();

    std::optional<std::string> read(std::string_view key) override;
    // False when the lock, the folder or the file cannot be had, when a damaged file could not be
    // moved aside, or when the file would grow beyond kMaxSettingsFileSize.
    bool write(std::string_view key, std::string_view value) override;

    const std::filesystem::path& path() const { return m_file; }

  private:
    std::filesystem::path m_file;
    std::string m_sectionName;
    // The file last read, when it may answer the next read: its stamp, and its document (nullopt
    // when it was missing or damaged).
    bool m_cacheValid = false;
    FileStamp m_cacheStamp;
    std::optional<SettingsDocument> m_cacheDocument;
};

} // namespace tessivar::wine
