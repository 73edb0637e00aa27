#pragma once

// The detection sound's player is a module of its own (tessivar-sound.so), loaded at the first
// sound: Qt Multimedia and the audio libraries under it then cost nothing to a program that plays
// no sound, as none does with the default settings. This is all the two share.

#include <string>

namespace tessivar::ui {

class SoundOutput {
  public:
    virtual ~SoundOutput() = default;
    // Starts the wave file at the local path `file` and returns at once; a sound still playing
    // stops first.
    virtual void play(const std::string& file) = 0;
};

// The module's one entry point: `SoundOutput* tessivar_create_sound_output()`, owned by the caller.
inline constexpr char kCreateSoundOutput[] = "tessivar_create_sound_output";
using CreateSoundOutput = SoundOutput* (*)();

} // namespace tessivar::ui
