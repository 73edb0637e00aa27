#include "e2e/desktop_user.h"

#include "platform/wine/settings_file.h"

#include <sys/stat.h>

namespace tessivar::test {

namespace fs = std::filesystem;

DesktopUser::DesktopUser(const fs::path& testPrefix, const std::string& display)
{
    fs::copy(testPrefix, prefix, fs::copy_options::recursive | fs::copy_options::copy_symlinks);
    std::error_code ignored;
    fs::remove(prefix / "dosdevices" / "z:", ignored);
    fs::create_directories(report.parent_path());
    const fs::path runtime = dir.path() / "runtime";
    fs::create_directories(runtime);
    chmod(runtime.c_str(), 0700);
    environment = {"DISPLAY=" + display,
                   "QT_QPA_PLATFORM=xcb",
                   "WAYLAND_DISPLAY=",
                   "WINEPREFIX=" + prefix.string(),
                   "XDG_CONFIG_HOME=" + config.string(),
                   "XDG_DATA_HOME=" + (dir.path() / "data").string(),
                   "XDG_RUNTIME_DIR=" + runtime.string()};
    setting("chkMakeLogFile", "1");
    setting("txtLogFile", "C:\\reports");
}

void DesktopUser::setting(std::string_view name, std::string_view value) const
{
    wine::SettingsFile(config / "tessivar" / "settings.ini", "Tessivar v4.0").write(name, value);
}

} // namespace tessivar::test
