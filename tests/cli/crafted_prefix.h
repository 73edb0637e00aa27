#pragma once

// Writes a Wine prefix whose registry holds, for every scanned section, values in each data form
// that section's check understands, some naming files the prefix has and some naming files it
// lacks, and lists the rows a scan must find, in scan order.

#include <filesystem>
#include <string>
#include <vector>

namespace tessivar::test {

struct ExpectedRow {
    std::string MainKey;
    std::string KeyName;
    std::string KeyValue;
    std::string RegistryScanners;
    std::string FullKeyPath;
    std::string mainkeyname;
    std::string DefaultOrNot;
    std::string why; // what the case is about, for failure messages

    // The row as `tessivar-cli scan --tsv` prints it.
    std::string tsvLine() const;
};

// Fills `prefix` (which already has dosdevices/c: and drive_c) with system.reg, user.reg and the
// files the values refer to; returns the rows a full scan must record, in order.
std::vector<ExpectedRow> writeCraftedPrefix(const std::filesystem::path& prefix);

} // namespace tessivar::test
