// Windows path text from registry data: canonical form, case folding, wildcard matching and the
// short-name shape must survive any bytes. The input is "pattern\0name" for the matcher; the
// whole input is also taken as a path.

#include "platform/wine/windows_path.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace tessivar::wine;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const auto wildcards : {Wildcards::rejected, Wildcards::allowedInLastComponent}) {
        if (const auto path = canonicalWindowsPath(text, wildcards)) {
            for (const auto& part : path->parts)
                if (part.empty() || part == "." || part == "..")
                    __builtin_trap();
            (void)path->foldedFolderKey(path->parts.size());
        }
    }
    const std::string folded = foldCase(text);
    if (foldCase(folded) != folded)
        __builtin_trap(); // folding twice changes nothing
    const auto zero = text.find('\0');
    const std::string_view pattern = text.substr(0, zero);
    const std::string_view name = zero == std::string_view::npos ? std::string_view() : text.substr(zero + 1);
    if (wildcardMatch(pattern, name) != wildcardMatch(foldCase(pattern), foldCase(name)))
        __builtin_trap(); // matching ignores letter case
    (void)looksLikeShortName(text);
    return 0;
}
