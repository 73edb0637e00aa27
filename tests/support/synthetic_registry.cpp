#include "support/synthetic_registry.h"

#include "platform/wine/reg_text.h"

#include <cstdio>
#include <fstream>
#include <random>

namespace tessivar::test {

namespace {

constexpr std::size_t kFlushSize = 1 << 20;
constexpr const char* kKeyTime = " 1700000000\n#time=1da1747c66d0000\n";

class SyntheticWriter {
  public:
    SyntheticWriter(const std::filesystem::path& file, const SyntheticRegistryOptions& options)
        : m_options(options), m_random(options.seed), m_out(std::fopen(file.c_str(), "wb"))
    {
        m_buffer.reserve(kFlushSize + 4096);
    }
    ~SyntheticWriter()
    {
        if (m_out)
            std::fclose(m_out);
    }

    SyntheticRegistryStats run()
    {
        if (!m_out)
            return {};
        m_buffer += "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n\n#arch=win64\n";
        const std::size_t total = m_options.valueCount;
        const std::size_t classValues = total / 4;
        const std::size_t appValues = total / 20;
        for (std::size_t i = 0; m_stats.values + 3 <= classValues; ++i)
            writeClass(i);
        for (std::size_t i = 0; m_stats.values + 2 <= classValues + appValues; ++i)
            writeAppPath(i);
        for (std::size_t i = 0; m_stats.values < total; ++i)
            writeGeneric(i, total - m_stats.values);
        flush(true);
        if (m_failed)
            m_stats.bytes = 0;
        return m_stats;
    }

  private:
    void section(const std::string& path)
    {
        m_buffer += "\n[";
        m_buffer += path;
        m_buffer += ']';
        m_buffer += kKeyTime;
        ++m_stats.keys;
        flush(false);
    }

    void text(const char* name, std::string_view type, const std::string& data)
    {
        if (*name) {
            m_buffer += '"';
            m_buffer += name;
            m_buffer += "\"=";
        } else {
            m_buffer += "@=";
        }
        m_buffer += type;
        m_buffer += '"';
        wine::appendEscaped(m_buffer, utf8ToUtf16(data), "\"", false);
        m_buffer += "\"\n";
        ++m_stats.values;
    }

    void dword(const char* name, std::uint32_t value)
    {
        char line[64];
        std::snprintf(line, sizeof line, "\"%s\"=dword:%08x\n", name, value);
        m_buffer += line;
        ++m_stats.values;
    }

    void binary(const char* name, std::size_t size)
    {
        static constexpr char kHex[] = "0123456789abcdef";
        const std::size_t start = m_buffer.size();
        m_buffer += '"';
        m_buffer += name;
        m_buffer += "\"=hex:";
        std::size_t column = m_buffer.size() - start;
        for (std::size_t i = 0; i < size; ++i) {
            const auto byte = static_cast<unsigned char>(m_random());
            m_buffer += kHex[byte >> 4];
            m_buffer += kHex[byte & 0xF];
            column += 2;
            if (i + 1 < size) {
                m_buffer += ',';
                if (++column > 76) {
                    m_buffer += "\\\n  ";
                    column = 2;
                }
            }
        }
        m_buffer += '\n';
        ++m_stats.values;
    }

    // The next path value, and its file when a drive_c folder is filled in.
    std::string nextPath()
    {
        const std::size_t index = m_stats.pathValues++;
        std::string path;
        if (m_options.pathMaker) {
            path = m_options.pathMaker(index);
        } else {
            char buffer[200];
            std::snprintf(buffer, sizeof buffer,
                          "C:\\Program Files\\Synthetic Vendor %04zu\\Product Line %02zu\\Application "
                          "Components\\bin\\component_%07zu.dll",
                          index / 1000, (index / 100) % 10, index);
            path = buffer;
        }
        if (!m_options.driveC.empty()) {
            if (std::uniform_real_distribution<double>(0.0, 1.0)(m_random) < m_options.missingRatio) {
                ++m_stats.missingPaths;
            } else {
                std::string relative = path.size() > 3 ? path.substr(3) : std::string();
                for (char& c : relative) {
                    if (c == '\\')
                        c = '/';
                }
                const std::filesystem::path file = m_options.driveC / relative;
                std::error_code ignored;
                std::filesystem::create_directories(file.parent_path(), ignored);
                std::ofstream(file, std::ios::binary) << "synthetic";
            }
        }
        return path;
    }

    void writeClass(std::size_t i)
    {
        char guid[64];
        std::snprintf(guid, sizeof guid, "{%08zX-0000-0000-C000-%012zX}", i, i * 7919);
        const std::string key = std::string("Software\\\\Classes\\\\CLSID\\\\") + guid;
        section(key);
        text("", "", "Synthetic class " + std::to_string(i));
        section(key + "\\\\InprocServer32");
        text("", "", nextPath());
        text("ThreadingModel", "", i % 3 ? "Both" : "Apartment");
    }

    void writeAppPath(std::size_t i)
    {
        char name[32];
        std::snprintf(name, sizeof name, "app%07zu.exe", i);
        section(std::string("Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\App Paths\\\\") + name);
        const std::string path = nextPath();
        text("", "", path);
        text("Path", "", path.substr(0, path.rfind('\\')) + ";");
    }

    void writeGeneric(std::size_t i, std::size_t left)
    {
        char key[96];
        std::snprintf(key, sizeof key, "Software\\\\Synthetic\\\\Group %04zu\\\\Key %07zu", i / 1000, i);
        section(key);
        // Names in the order the server sorts them; stop where the requested count is reached.
        const std::size_t count = left < 8 ? left : 8;
        for (std::size_t v = 0; v < count; ++v) {
            switch (v) {
            case 0:
                text("Command", "", "\"" + nextPath() + "\" /run --quiet");
                break;
            case 1:
                text("DisplayName", "",
                     "Caf\xc3\xa9 \xe4\xb8\xad Synthetic \"entry\" number " + std::to_string(i) +
                         " with a longer description\tthat needs escapes [and brackets]");
                break;
            case 2:
                text("Expand", "str(2):", "%SystemRoot%\\system32\\synthetic\\library_" + std::to_string(i) + ".dll");
                break;
            case 3:
                dword("Flags", static_cast<std::uint32_t>(m_random()));
                break;
            case 4:
                text("Icon", "", nextPath() + ",0");
                break;
            case 5:
                binary("Install", 224);
                break;
            case 6:
                text("Multi", "str(7):", std::string("first value\0second value\0", 26));
                break;
            case 7:
                text("Path", "", nextPath());
                break;
            default:
                break;
            }
        }
    }

    void flush(bool last)
    {
        if (m_buffer.size() < kFlushSize && !last)
            return;
        if (std::fwrite(m_buffer.data(), 1, m_buffer.size(), m_out) != m_buffer.size())
            m_failed = true;
        m_stats.bytes += m_buffer.size();
        m_buffer.clear();
    }

    const SyntheticRegistryOptions& m_options;
    std::mt19937 m_random;
    std::FILE* m_out;
    std::string m_buffer;
    SyntheticRegistryStats m_stats;
    bool m_failed = false;
};

} // namespace

SyntheticRegistryStats writeSyntheticRegistry(const std::filesystem::path& file,
                                              const SyntheticRegistryOptions& options)
{
    return SyntheticWriter(file, options).run();
}

} // namespace tessivar::test
