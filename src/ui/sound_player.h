#pragma once

// The detection sound on the desktop: the wave file the settings name (a path as the program
// names files, "C:\WINDOWS\media\ding.wav") is found on this machine through the same drive
// mapping as every other path, and played asynchronously by one QSoundEffect that the program
// keeps and reuses, so that a scan finding a thousand problems starts a thousand sounds without
// leaving a thousand players behind. There is no fallback sound: a file that is missing, a folder
// or not a wave file plays nothing.

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>

class QSoundEffect;

namespace tessivar::ui {

class SoundPlayer {
  public:
    // The file on this machine that a program's path names; nullopt when no drive maps it.
    using PathMapper = std::function<std::optional<std::filesystem::path>(std::string_view)>;

    explicit SoundPlayer(PathMapper mapper = {});
    ~SoundPlayer();
    SoundPlayer(const SoundPlayer&) = delete;
    SoundPlayer& operator=(const SoundPlayer&) = delete;

    void setPathMapper(PathMapper mapper) { m_mapper = std::move(mapper); }

    // Starts `path` playing and returns at once; a sound still playing stops first, as a new
    // sound stops the last one on Windows. False, and nothing plays, when the path maps to no
    // file or the file is not a wave file. Whether the machine has an audio output at all is
    // not known here: without one the sound is started and nothing is heard.
    bool playAsync(std::string_view path);

  private:
    PathMapper m_mapper;
    std::unique_ptr<QSoundEffect> m_effect;
};

} // namespace tessivar::ui
