#pragma once

// What a scan finds: the problem list (one ProblemEntry per registry value whose file is
// missing) and the shortcut list (one ShortcutEntry per broken shortcut file). Both keep the
// order in which the checks found their rows; nothing is sorted or de-duplicated. Positions are
// 1-based, as the rest of the program counts them.

#include "engine/observed.h"

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>

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
    std::string path; // as the drive walk handed it over
    std::string sectionText = "Windows Shortcut";
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

class ShortcutList {
  public:
    ShortcutList() = default;
    ShortcutList(const ObserverSlot* slot, ModelPart part) : m_rows(slot, part) {}
    ShortcutList(const ShortcutList&) = delete;
    // Takes the other list's rows; announced as a reset.
    ShortcutList& operator=(ShortcutList&& other)
    {
        m_rows.assign(other.m_rows.release());
        return *this;
    }
    // Each change is announced to the model's observer (rows are 0-based there).
    void clear() { m_rows.clear(); }
    void append(ShortcutEntry entry) { m_rows.append(std::move(entry)); }
    std::size_t count() const { return m_rows.size(); }
    const ShortcutEntry& at(std::size_t i) const { return m_rows.get().at(i - 1); }
    void removeFirst() { m_rows.removeFirst(); }
    auto begin() const { return m_rows.begin(); }
    auto end() const { return m_rows.end(); }

  private:
    ObservedRows<ShortcutEntry, std::deque<ShortcutEntry>> m_rows;
};

} // namespace tessivar
