#pragma once

// The platform back-ends tessivar-cli works with: those of one Wine prefix ($WINEPREFIX, else
// ~/.wine). Opening them says on `err`, in one line, which prefix is used and whether it is
// missing (a missing prefix reads as an empty registry).

#include "platform/registry.h"

#include <filesystem>
#include <iosfwd>
#include <memory>

namespace tessivar::cli {

struct CliPlatform {
    std::filesystem::path prefix;
    bool prefixExists = false;
    std::unique_ptr<Registry> registry;
};

CliPlatform openCliPlatform(std::ostream& err);

} // namespace tessivar::cli
