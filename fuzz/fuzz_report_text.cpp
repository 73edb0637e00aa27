// The report's text encoding on arbitrary bytes (registry data reaches the report as it is): one
// output byte per character or per malformed byte, never more bytes than came in, and ASCII kept.

#include "results/code_page.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::string out = tessivar::Utf8ToWindows1252(input);
    if (out.size() > input.size())
        std::abort();
    bool ascii = true;
    for (char c : input)
        ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (ascii && out != input)
        std::abort();
    // Whatever comes out is already single-byte text: taken as Latin-1 and encoded again as
    // UTF-8, every byte but the 0x80-0x9F block maps back to itself.
    std::string again;
    for (char c : out) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            again += c;
        } else if (byte >= 0xA0) {
            again += static_cast<char>(0xC0 | (byte >> 6));
            again += static_cast<char>(0x80 | (byte & 0x3F));
        } else {
            again += '?';
        }
    }
    const std::string back = tessivar::Utf8ToWindows1252(again);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const auto byte = static_cast<unsigned char>(out[i]);
        if ((byte < 0x80 || byte >= 0xA0) && back[i] != out[i])
            std::abort();
    }
    return 0;
}
