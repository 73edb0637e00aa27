#include "settings/backup_folder.h"

#include "platform/file_system.h"
#include "platform/text_utils.h"
#include "settings/settings_store.h"

namespace tessivar {

std::string BackupFolder(SettingsStore& settings, FileSystem& files)
{
    std::string folder = settings.ReadSetting("txtBackUp", "");
    if (trimmed(folder).empty())
        return files.programFolder();
    return folder;
}

} // namespace tessivar
