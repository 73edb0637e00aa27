// The backup-file reader on arbitrary bytes: lines are decoded and parsed as a restore reads them,
// and every input, taken as one field, must come back unchanged through the encoding.

#include "results/backup_encoding.h"
#include "results/backup_format.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::size_t start = 0;
    while (start <= input.size()) {
        auto end = input.find_first_of("\r\n", start);
        if (end == std::string_view::npos)
            end = input.size();
        const auto fields = tessivar::DecodeBackupFields(input.substr(start, end - start));
        const auto parsed = tessivar::ParseBackupRecord(fields);
        if (parsed.kind == tessivar::RecordKind::registry && parsed.registry.exact && parsed.registry.before.present &&
            tessivar::ParseBackupRecord(
                tessivar::DecodeBackupFields(tessivar::EncodeBackupFields(tessivar::RecordFields(parsed.registry))))
                    .registry.before != parsed.registry.before)
            std::abort();
        start = end + 1;
    }
    const std::string field(input);
    if (tessivar::DecodeBackupFields(tessivar::EncodeBackupFields({field, field})) !=
        std::vector<std::string>{field, field})
        std::abort();
    return 0;
}
