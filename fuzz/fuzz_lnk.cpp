// Shell Link files from anywhere on a disk: any bytes must give an answer, never a crash or a hang.
#include "platform/shell_link.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const tessivar::ShortcutInfo info = tessivar::ReadShellLink(bytes);
    // A reader that answers "not a link" must not have found targets.
    if (!info.isLink && !info.targets.empty())
        __builtin_trap();
    for (const auto& target : info.targets)
        if (target.path.size() > 8 * size + 64)
            __builtin_trap();
    return 0;
}
