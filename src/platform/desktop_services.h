#pragma once

// What the settings dialog, the tray menu and the web page opener need from the desktop beyond
// files and the registry: a folder chooser, the way the program names a folder of the machine, the
// entry that starts the program with the user's session, the screen's size, and the program the
// desktop opens a kind of document with. Back-ends: Qt and platform/linux on Linux (with the Wine
// prefix's drive mapping), the shell and advapi32 calls on Windows later, fakes in tests.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tessivar {

// The desktop's folder chooser (SHBrowseForFolder on Windows, the Qt folder dialog on Linux).
class FolderPicker {
  public:
    virtual ~FolderPicker() = default;
    // Lets the user pick a folder under the dialog title `title`; the folder as the machine names
    // it, or nullopt when the user cancelled.
    virtual std::optional<std::filesystem::path> chooseFolder(std::string_view title) = 0;
};

// How the program writes a folder of the machine in the paths it stores and shows.
class HostPaths {
  public:
    virtual ~HostPaths() = default;
    // The path under which the program reaches `hostFolder` (on Linux: its drive-letter path in
    // the Wine prefix). Never fails: a folder no drive maps keeps a form the file back-end reads.
    virtual std::string windowsPathOfHostFolder(const std::filesystem::path& hostFolder) = 0;
};

// The entry that starts the program when the user's session starts. On Windows it is the run
// list's value named after the program (WriteValueGuessType / RemoveValue under
// HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Run); on Linux an XDG autostart entry.
class StartupEntry {
  public:
    virtual ~StartupEntry() = default;
    // Writes (or rewrites) the entry for the running program; false when it could not be written.
    virtual bool writeEntry() = 0;
    // Removes the entry; true when there is none afterwards.
    virtual bool removeEntry() = 0;
};

// The screen the tray menu rises on, in pixels.
struct ScreenMetrics {
    int width = 0;
    int height = 0;
    // The height of the task bar (panel) along the screen's bottom edge; 0 when there is none.
    int taskbarHeight = 0;
};

class ScreenInfo {
  public:
    virtual ~ScreenInfo() = default;
    virtual ScreenMetrics primaryScreen() = 0;
};

enum class ShowMode { normal, maximised };

// The program the desktop opens a kind of document with, and starting it.
class DocumentPrograms {
  public:
    virtual ~DocumentPrograms() = default;
    // The program that opens documents like `documentPath` (a path as the file back-end names it,
    // of an existing file; its extension decides), as a path `ShellExecuteA` starts; "" when the
    // desktop has none.
    virtual std::string FindExecutableA(std::string_view documentPath) = 0;
    // Starts `program` without waiting, with `argument` as its one argument and the window state
    // `show` where the window system lets a program ask for it; false when it could not start.
    virtual bool ShellExecuteA(std::string_view program, std::string_view argument, ShowMode show) = 0;
};

} // namespace tessivar
