// Internet shortcut files: any bytes must give an answer, never a crash or a hang.
#include "platform/shell_link.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const tessivar::ShortcutInfo info = tessivar::ReadInternetShortcut(bytes);
    if (!info.isLink && (info.hasUrl || !info.targets.empty()))
        __builtin_trap();
    tessivar::FileUrlToPath(bytes);
    return 0;
}
