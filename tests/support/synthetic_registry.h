#pragma once

// A large registry file in Wine's own format, for benchmarks and heavy tests: COM class
// registrations, application paths and generic keys whose values mix paths, escaped text,
// REG_EXPAND_SZ, dwords and long (wrapped) binary data. The file is exactly what Wine itself
// would write for that content (sorted, escaped, wrapped), so loading and saving it untouched
// gives the same bytes.
//
// Path values can point into a drive_c folder the generator fills in: a chosen share of them
// name files that are not created, so a scan finds them missing.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

namespace tessivar::test {

struct SyntheticRegistryOptions {
    std::size_t valueCount = 1000000; // about 170 MB
    // The Windows path of path value number `index` ("C:\..."). When unset, paths are made up
    // under C:\Program Files.
    std::function<std::string(std::size_t index)> pathMaker;
    // When set, the file of every path value that is not meant to be missing is created here
    // (this folder stands for C:\); `missingRatio` of them are left out.
    std::filesystem::path driveC;
    double missingRatio = 0.5;
    std::uint32_t seed = 1;
};

struct SyntheticRegistryStats {
    std::uint64_t bytes = 0;
    std::size_t keys = 0; // sections written
    std::size_t values = 0;
    std::size_t pathValues = 0;   // values whose data is a file path
    std::size_t missingPaths = 0; // of those, files not created (only with driveC)
};

// Writes the file (a system.reg: branch REGISTRY\Machine, win64). Throws nothing; on an I/O
// error the returned byte count is 0.
SyntheticRegistryStats writeSyntheticRegistry(const std::filesystem::path& file,
                                              const SyntheticRegistryOptions& options);

} // namespace tessivar::test
