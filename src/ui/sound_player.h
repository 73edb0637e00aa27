#pragma once

// The detection sound on the desktop: the wave file the settings name (a path as the program
// names files, "C:\WINDOWS\media\ding.wav") is found on this machine through the same drive
// mapping as every other path, and played asynchronously by the sound module (sound_output.h),
// loaded at the first sound. There is no fallback sound: a file that is missing, a folder or not
// a wave file plays nothing, and so does a program whose sound module cannot be loaded.

#include <QString>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

class QLibrary;

namespace tessivar::ui {

class SoundOutput;

class SoundPlayer {
  public:
    // The file on this machine that a program's path names; nullopt when no drive maps it.
    using PathMapper = std::function<std::optional<std::filesystem::path>(std::string_view)>;

    explicit SoundPlayer(PathMapper mapper = {});
    ~SoundPlayer();
    SoundPlayer(const SoundPlayer&) = delete;
    SoundPlayer& operator=(const SoundPlayer&) = delete;

    void setPathMapper(PathMapper mapper) { m_mapper = std::move(mapper); }
    // Where the module is looked for, first found wins; by default beside the program (the build
    // tree) and in its installed library folder.
    void setModulePaths(std::vector<QString> paths) { m_modulePaths = std::move(paths); }
    static std::vector<QString> defaultModulePaths();

    // Starts `path` playing and returns at once; a sound still playing stops first, as a new
    // sound stops the last one on Windows. False, and nothing plays, when the path maps to no
    // file, the file is not a wave file or there is no sound module. Whether the machine has an
    // audio output at all is not known here: without one the sound is started and nothing is heard.
    bool playAsync(std::string_view path);

  private:
    SoundOutput* output();

    PathMapper m_mapper;
    std::vector<QString> m_modulePaths;
    bool m_loadTried = false;
    std::unique_ptr<QLibrary> m_module; // never unloaded: the output's code lives in it
    std::unique_ptr<SoundOutput> m_output;
};

} // namespace tessivar::ui
