#pragma once

// What a scan finds: the problem list (one ProblemEntry per registry value whose file is
// missing) and the shortcut list (one ShortcutEntry per broken shortcut file). Both keep the
// order in which the checks found their rows; nothing is sorted or de-duplicated. Positions are
// 1-based, as the rest of the program counts them.

#include "engine/observed.h"
#include "platform/file_system.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>

namespace tessivar {

struct ProblemEntry {
    std::string MainKey;          // the hive handle as signed 32-bit decimal text
    std::string KeyName;          // the value name, "(Default)" for the unnamed value
    std::string KeyValue;         // the missing file's path as the check built it
    std::string RegistryScanners; // the section's scanner name ("Registry Scanners")
    std::string FullKeyPath;      // the key holding the value, relative to the hive
    std::string mainkeyname;      // the hive's full name
    std::string DefaultOrNot;     // "Yes" when completed with the system folder, else ""
};

struct ShortcutEntry {
    ShortcutEntry() = default;
    explicit ShortcutEntry(std::string shortcutPath, std::optional<FileIdentity> found = std::nullopt)
        : path(std::move(shortcutPath)), identity(found)
    {
    }

    std::string path; // as the drive walk handed it over
    std::string sectionText = "Windows Shortcut";
    // The file the walk found there. Repair deletes nothing without it, and nothing that is not
    // that file any more.
    std::optional<FileIdentity> identity;
};

class ProblemList {
  public:
    ProblemList() = default;
    ProblemList(const ObserverSlot* slot, ModelPart part) : m_rows(slot, part) {}
    ProblemList(const ProblemList&) = delete;
    // Takes the other list's rows; announced as a reset.
    ProblemList& operator=(ProblemList&& other)
    {
        m_rows.assign(other.m_rows.release());
        return *this;
    }
    // Each change is announced to the model's observer (rows are 0-based there).
    void clear() { m_rows.clear(); }
    void append(ProblemEntry entry) { m_rows.append(std::move(entry)); }
    std::size_t count() const { return m_rows.size(); }
    // Entry i, 1-based.
    const ProblemEntry& at(std::size_t i) const { return m_rows.get().at(i - 1); }
    void removeFirst() { m_rows.removeFirst(); }
    // Rows whose scanner name equals `scannerName` exactly (case-sensitive).
    std::size_t countScanner(std::string_view scannerName) const
    {
        std::size_t n = 0;
        for (const auto& row : m_rows)
            n += row.RegistryScanners == scannerName ? 1 : 0;
        return n;
    }
    auto begin() const { return m_rows.begin(); }
    auto end() const { return m_rows.end(); }

  private:
    ObservedRows<ProblemEntry, std::deque<ProblemEntry>> m_rows;
};

// The broken shortcuts of one scan, and the folders the drive walks of that scan entered, so that
// no folder is walked twice in a scan whatever route (a second drive letter, a link, a bind
// mount) leads to it again.
class ShortcutList {
  public:
    ShortcutList() = default;
    ShortcutList(const ObserverSlot* slot, ModelPart part) : m_rows(slot, part) {}
    ShortcutList(const ShortcutList&) = delete;
    // Takes the other list's rows and folders; the rows are announced as a reset.
    ShortcutList& operator=(ShortcutList&& other)
    {
        m_rows.assign(other.m_rows.release());
        m_walkedFolders = std::move(other.m_walkedFolders);
        return *this;
    }
    // Each change of the rows is announced to the model's observer (rows are 0-based there).
    void clear()
    {
        m_rows.clear();
        m_walkedFolders.clear();
    }
    void append(ShortcutEntry entry) { m_rows.append(std::move(entry)); }
    std::size_t count() const { return m_rows.size(); }
    const ShortcutEntry& at(std::size_t i) const { return m_rows.get().at(i - 1); }
    void removeFirst() { m_rows.removeFirst(); }
    auto begin() const { return m_rows.begin(); }
    auto end() const { return m_rows.end(); }
    // Records which file row i (1-based) was when the walk found it.
    void setIdentity(std::size_t i, std::optional<FileIdentity> identity)
    {
        m_rows.update(i - 1, [&](ShortcutEntry& entry) { entry.identity = identity; });
    }

    // True the first time a folder is met since the list was cleared.
    bool firstVisit(const FileIdentity& folder) { return m_walkedFolders.insert({folder.device, folder.inode}).second; }
    std::size_t walkedFolderCount() const { return m_walkedFolders.size(); }

  private:
    struct IdentityHash {
        std::size_t operator()(const std::pair<std::uint64_t, std::uint64_t>& id) const
        {
            return std::hash<std::uint64_t>{}(id.second * 0x9E3779B97F4A7C15ull ^ id.first);
        }
    };
    ObservedRows<ShortcutEntry, std::deque<ShortcutEntry>> m_rows;
    std::unordered_set<std::pair<std::uint64_t, std::uint64_t>, IdentityHash> m_walkedFolders;
};

} // namespace tessivar
