// The settings file's parser on arbitrary bytes: it must not crash, hang or grow without bound,
// and whatever it accepts must come back unchanged through the writer and the parser again.

#include "platform/wine/settings_text.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

using tessivar::wine::ParseSettingsText;
using tessivar::wine::SettingsDocument;
using tessivar::wine::SettingsText;

namespace {

bool sameDocument(const SettingsDocument& a, const SettingsDocument& b)
{
    if (a.sections.size() != b.sections.size())
        return false;
    for (std::size_t i = 0; i < a.sections.size(); ++i) {
        const auto& x = a.sections[i];
        const auto& y = b.sections[i];
        if (x.name != y.name || x.entries.size() != y.entries.size())
            return false;
        for (std::size_t j = 0; j < x.entries.size(); ++j)
            if (x.entries[j].key != y.entries[j].key || x.entries[j].value != y.entries[j].value)
                return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto document = ParseSettingsText(text);
    if (!document)
        return 0;
    const std::string written = SettingsText(*document);
    if (written.size() > tessivar::wine::kMaxSettingsFileSize)
        return 0;
    const auto again = ParseSettingsText(written);
    if (!again || !sameDocument(*document, *again))
        std::abort();
    return 0;
}
