#include "engine/detection_signal.h"

#include "engine/scan_context.h"
#include "platform/text_utils.h"
#include "settings/setting_keys.h"
#include "settings/settings_store.h"

#include <limits>
#include <string>

namespace tessivar {

namespace {

} // namespace

bool SignalDetection(ScanContext& context, std::string_view /*unused*/)
{
    bool soundStarted = false;
    if (ReadNumberSetting(context.settings, kChkPlaySound, kPlaySoundDefault) == 1) {
        const std::string soundPath(trimmed(context.settings.ReadSetting(kTxtWaveFilesPath, kWaveFilesPathDefault)));
        // A folder is not found by a search for files, and a search that could not be carried
        // out finds nothing either: in both cases there is nothing to play.
        if (!soundPath.empty() &&
            context.files.searchPath(soundPath, FILE_ATTRIBUTE_NORMAL | FILE_ATTRIBUTE_HIDDEN) == SearchOutcome::found)
            soundStarted = context.host.playSoundAsync(soundPath);
    }

    // A caption that is not a number (never written so by us) restarts the count at 0.
    long long count = SettingAsNumber(context.model.lblProblemsFound).value_or(0);
    if (count < std::numeric_limits<long long>::max())
        ++count;
    context.model.lblProblemsFound = std::to_string(count);
    return soundStarted;
}

} // namespace tessivar
