#include "cli/cli_platform.h"

#include "platform/wine/prefix.h"
#include "platform/wine/wine_registry.h"

#include <ostream>

namespace tessivar::cli {

CliPlatform openCliPlatform(std::ostream& err)
{
    CliPlatform platform;
    platform.prefix = wine::defaultPrefixPath();
    auto registry = std::make_unique<wine::WineRegistry>(platform.prefix);
    platform.prefixExists = registry->prefixExists();
    if (platform.prefixExists)
        err << "tessivar-cli: Wine prefix " << platform.prefix.string() << "\n";
    else if (std::error_code error; std::filesystem::exists(platform.prefix, error))
        err << "tessivar-cli: Wine prefix " << platform.prefix.string() << " is not a folder\n";
    else
        err << "tessivar-cli: Wine prefix " << platform.prefix.string() << " is missing; its registry reads as empty\n";
    platform.registry = std::move(registry);
    return platform;
}

} // namespace tessivar::cli
