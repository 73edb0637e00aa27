#pragma once

#include <string>

namespace tessivar {

class FileSystem;
class SettingsStore;

// The folder backups and shortcut copies go to: "txtBackUp" when it holds more than blanks, else
// the program's own folder. The drive walk reads it too, so that it never enters that folder.
std::string BackupFolder(SettingsStore& settings, FileSystem& files);

} // namespace tessivar
