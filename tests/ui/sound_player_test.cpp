#include "platform/wine/wine_file_system.h"
#include "support/temp_prefix.h"
#include "ui/qt_host.h"

#include <gtest/gtest.h>
#include <string>

namespace tessivar::ui {
namespace {

// A silent wave file of a few samples: 8 kHz, 8 bits, mono.
std::string tinyWave()
{
    const auto u32 = [](std::uint32_t v) {
        return std::string{char(v & 0xFF), char((v >> 8) & 0xFF), char((v >> 16) & 0xFF), char(v >> 24)};
    };
    const auto u16 = [](std::uint16_t v) { return std::string{char(v & 0xFF), char(v >> 8)}; };
    const std::string samples(16, char(0x80));
    const std::string format = u16(1) + u16(1) + u32(8000) + u32(8000) + u16(1) + u16(8);
    const std::string body = "WAVE" + std::string("fmt ") + u32(16) + format + "data" + u32(16) + samples;
    return "RIFF" + u32(static_cast<std::uint32_t>(body.size())) + body;
}

// The detection sound's path is a path of the prefix; only a wave file found there is started.
TEST(QtHostSound, PlaysOnlyAWaveFileThePrefixHolds)
{
    test::TempPrefix prefix;
    prefix.write("drive_c/windows/media/ding.wav", tinyWave());
    prefix.write("drive_c/windows/media/notes.txt", "not a sound");
    wine::WineFileSystem files(prefix.path());
    QtHost host;
    host.setSoundModule(QStringLiteral(TESSIVAR_SOUND_MODULE));
    EXPECT_FALSE(host.playSoundAsync("C:\\WINDOWS\\media\\ding.wav")) << "no mapper: no sound";

    host.setSoundFiles([&files](std::string_view path) { return files.unixPathOf(path); });
    const std::pair<const char*, bool> cases[] = {
        {"C:\\WINDOWS\\Media\\DING.WAV", true}, // found as Windows finds it, whatever the case
        {"C:\\windows\\media\\gone.wav", false},  {"C:\\windows\\media", false},
        {"C:\\windows\\media\\notes.txt", false}, {"Q:\\ding.wav", false},
    };
    for (const auto& [path, played] : cases)
        EXPECT_EQ(host.playSoundAsync(path), played) << path;
    // A second detection reuses the player while the first sound may still be playing.
    EXPECT_TRUE(host.playSoundAsync("C:\\windows\\media\\ding.wav"));

    QtHost withoutModule;
    withoutModule.setSoundModule(QStringLiteral("/nonexistent/tessivar-sound.so"));
    withoutModule.setSoundFiles([&files](std::string_view path) { return files.unixPathOf(path); });
    EXPECT_FALSE(withoutModule.playSoundAsync("C:\\windows\\media\\ding.wav")) << "no module: no sound";
}

} // namespace
} // namespace tessivar::ui
