#include "platform/wine/reg_file.h"
#include "platform/wine/reg_text.h"

#include <cstdio>
#include <functional>

namespace tessivar::wine {

class RegFileWriter {
  public:
    RegFileWriter(RegFile& file, const std::function<bool(std::string_view)>& sink, RegLayout layout)
        : m_file(file), m_text(file.m_text->view()), m_sink(sink), m_layout(layout)
    {
        m_out.reserve(kChunk + 4096);
    }

    bool writeAll()
    {
        if (!m_file.m_newHeader.empty()) {
            m_out += m_file.m_newHeader;
        } else if (m_file.m_textReusable) {
            m_out.append(m_text.substr(0, m_file.m_headerLength));
        } else {
            // The server writes LF line ends only; the header is comments and options, so
            // carriage returns at the end of its lines carry nothing.
            std::size_t begin = 0;
            const std::string_view header = m_text.substr(0, m_file.m_headerLength);
            while (begin < header.size()) {
                std::size_t end = header.find('\n', begin);
                if (end == std::string_view::npos)
                    end = header.size();
                std::string_view line = header.substr(begin, end - begin);
                while (!line.empty() && line.back() == '\r')
                    line.remove_suffix(1);
                m_out += line;
                if (end < header.size())
                    m_out += '\n';
                begin = end + 1;
            }
        }
        if (!m_out.empty() && m_out.back() != '\n')
            m_out += '\n'; // a header cut short still ends its line before the first section
        writeTree(*m_file.m_root);
        return flush(true);
    }

  private:
    bool keepsOriginalText(const RegKey& key) const
    {
        return m_layout == RegLayout::keepOriginalText && !key.m_changed && m_file.m_textReusable &&
               key.sectionCount() == 1;
    }

    // The server writes a section for a key that holds something of its own, or nothing at all;
    // a key with only subkeys is implied by them.
    static bool needsSection(RegKey& key)
    {
        return !key.values().empty() || key.m_children.empty() || key.m_class || key.m_link;
    }

    void writeTree(RegKey& top)
    {
        std::vector<RegKey*> stack{&top};
        while (!stack.empty()) {
            RegKey* key = stack.back();
            stack.pop_back();
            if (key->m_volatile)
                continue;
            if (keepsOriginalText(*key)) {
                const RegKey::TextSlice& slice = key->m_section;
                m_out += '\n';
                m_out.append(m_text.substr(slice.offset, slice.length));
            } else if (needsSection(*key)) {
                writeSection(*key);
            }
            if (!flush(false))
                return;
            for (std::size_t i = key->m_children.size(); i-- > 0;)
                stack.push_back(key->m_children[i]);
        }
    }

    void writePath(const RegKey& key)
    {
        if (!key.m_parent)
            return;
        if (key.m_parent->m_parent) {
            writePath(*key.m_parent);
            m_out += "\\\\";
        }
        appendEscaped(m_out, key.m_name, "[]", false);
    }

    void writeSection(RegKey& key)
    {
        char buffer[64];
        m_out += "\n[";
        writePath(key);
        const auto seconds = static_cast<std::uint32_t>(
            (static_cast<std::int64_t>(key.m_modified) - static_cast<std::int64_t>(kFiletimeUnixEpoch)) / 10000000);
        std::snprintf(buffer, sizeof buffer, "] %u\n#time=%x%08x\n", seconds,
                      static_cast<unsigned>(key.m_modified >> 32), static_cast<unsigned>(key.m_modified & 0xFFFFFFFFu));
        m_out += buffer;
        if (key.m_class) {
            m_out += "#class=\"";
            appendEscaped(m_out, *key.m_class, "\"", false);
            m_out += "\"\n";
        }
        if (key.m_link)
            m_out += "#link\n";
        for (const RegValue& value : key.values())
            writeValue(value);
    }

    void writeValue(const RegValue& value)
    {
        static constexpr char kHex[] = "0123456789abcdef";
        char buffer[32];
        const std::size_t lineStart = m_out.size();
        if (value.name.empty()) {
            m_out += "@=";
        } else {
            m_out += '"';
            appendEscaped(m_out, value.name, "\"", false);
            m_out += "\"=";
        }
        const std::size_t size = value.data.size();
        switch (value.type) {
        case 1:
        case 2:
        case 7:
            // Only properly terminated text is written as text; anything else stays exact as hex.
            if (size >= 2 && size % 2 == 0 && value.data[size - 1] == 0 && value.data[size - 2] == 0) {
                if (value.type != 1) {
                    std::snprintf(buffer, sizeof buffer, "str(%x):", value.type);
                    m_out += buffer;
                }
                m_out += '"';
                appendEscaped(m_out, bytesToUtf16(value.data), "\"", true);
                m_out += "\"\n";
                return;
            }
            break;
        case 4:
            if (size == 4) {
                const auto* bytes = reinterpret_cast<const unsigned char*>(value.data.data());
                const std::uint32_t dword =
                    bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (static_cast<std::uint32_t>(bytes[3]) << 24);
                std::snprintf(buffer, sizeof buffer, "dword:%08x\n", dword);
                m_out += buffer;
                return;
            }
            break;
        default:
            break;
        }
        if (value.type == 3) {
            m_out += "hex:";
        } else {
            std::snprintf(buffer, sizeof buffer, "hex(%x):", value.type);
            m_out += buffer;
        }
        std::size_t column = m_out.size() - lineStart;
        for (std::size_t i = 0; i < size; ++i) {
            const auto byte = static_cast<unsigned char>(value.data[i]);
            m_out += kHex[byte >> 4];
            m_out += kHex[byte & 0xF];
            column += 2;
            if (i + 1 < size) {
                m_out += ',';
                if (++column > 76) {
                    m_out += "\\\n  ";
                    column = 2;
                }
            }
        }
        m_out += '\n';
    }

    bool flush(bool last)
    {
        if (m_failed || (m_out.size() < kChunk && !last))
            return !m_failed;
        if (!m_out.empty() && !m_sink(m_out))
            m_failed = true;
        m_out.clear();
        return !m_failed;
    }

    static constexpr std::size_t kChunk = 1 << 20;
    RegFile& m_file;
    std::string_view m_text;
    const std::function<bool(std::string_view)>& m_sink;
    RegLayout m_layout;
    std::string m_out;
    bool m_failed = false;
};

bool RegFile::write(const std::function<bool(std::string_view)>& sink, RegLayout layout)
{
    return RegFileWriter(*this, sink, layout).writeAll();
}

std::string RegFile::serialize(RegLayout layout)
{
    std::string out;
    out.reserve(m_text->view().size() + 4096);
    write(
        [&out](std::string_view piece) {
            out += piece;
            return true;
        },
        layout);
    return out;
}

} // namespace tessivar::wine
