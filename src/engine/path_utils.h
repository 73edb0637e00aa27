#pragma once

// Turning registry data into file paths and asking whether the file is there. Pure functions of
// their input and the machine's state; none shows a message.

#include "platform/file_system.h"
#include "platform/registry.h"

#include <string>
#include <string_view>

namespace tessivar {

struct ScanContext;

std::string CleanPathText(std::string_view text);
// The same, in place: a check cleans the text it was handed for every value of a scan.
void CleanPathTextInPlace(std::string& text);
std::string CutAtSwitches(std::string_view text);
std::string GetFileExtension(std::string_view path);
std::string WithTrailingBackslash(std::string_view folder);

std::string GetSystemFolder(FileSystem& files);
std::string GetWindowsFolder(FileSystem& files);
std::string GetProgramFilesFolder(Registry& registry);
std::string GetCommonFilesFolder(Registry& registry);

std::string TextAfterRootPlaceholder(std::string_view text);
std::string TextAfterCommonPlaceholder(std::string_view text);

// Expands "%Systemroot%", "%ProgramFiles%" or "%commonprogramfiles%" and records a problem
// when the result is missing.
void CheckPlaceholderPath(ScanContext& context, HKEY hive, const std::string& hiveName, const std::string& valueName,
                          std::string data, const std::string& scannerName, const std::string& keyPath);

// True when a file (not a folder) of that name exists, whatever its attributes, or when the test
// cannot be carried out.
bool FileIsPresent(FileSystem& files, std::string_view path);
// True when a file or a folder of that name exists, or when the test cannot be carried out. The
// checks record a path only when this is false, so an existing folder is never reported.
bool FileOrFolderIsPresent(FileSystem& files, std::string_view path);
bool IsOnFixedDrive(FileSystem& files, std::string_view path);
std::string GetShortName(FileSystem& files, std::string_view path);

} // namespace tessivar
