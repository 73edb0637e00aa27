// The readers of the desktop's own files (mimeapps.list, desktop entries) on arbitrary bytes:
// they must not crash or hang, and an argument quoted for an entry must read back as written.

#include "platform/linux/xdg_entries.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

using namespace tessivar::xdg;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    if (const auto value = groupValue(text, "Default Applications", "text/html")) {
        for (const auto& id : stringList(unescapeValue(*value)))
            (void)id;
    }
    if (const auto exec = groupValue(text, "Desktop Entry", "Exec"))
        (void)execArguments(unescapeValue(*exec));
    (void)execArguments(text);

    const std::string entry = "[Desktop Entry]\nExec=" + quotedExecArgument(text) + "\n";
    const auto value = groupValue(entry, "Desktop Entry", "Exec");
    const auto arguments = value ? execArguments(unescapeValue(*value)) : std::nullopt;
    if (!arguments || arguments->size() != 1 || arguments->front() != text)
        std::abort();
    return 0;
}
