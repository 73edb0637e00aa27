// The checks for values that name a program file: COM servers and controls under the two CLSID

#include "platform/text_utils.h"
// trees, and programs registered under App Paths. One algorithm, four differences.

#include "checks/check_support.h"
#include "checks/checks.h"
#include "engine/path_utils.h"
#include "engine/scan_context.h"

#include <array>
#include <string_view>

namespace tessivar {

namespace {

using checks::CheckInput;
using checks::CompletedWithSystemFolder;

enum class ProgramFileCheck { activeX, applicationPath };

constexpr std::array<std::string_view, 4> kActiveXExtensions{"OCX", "AX", "EXE", "DLL"};
constexpr std::array<std::string_view, 3> kApplicationPathExtensions{"EXE", "DLL", "OCX"};
constexpr std::array<std::string_view, 4> kActiveXPlaceholders{"%Systemroot%", "%Sysroot%", "%ProgramFiles%",
                                                               "%commonprogramfiles%"};
constexpr std::array<std::string_view, 3> kApplicationPathPlaceholders{"%Systemroot%", "%ProgramFiles%",
                                                                       "%commonprogramfiles%"};

template <std::size_t N> bool isOneOf(std::string_view text, const std::array<std::string_view, N>& list)
{
    for (std::string_view item : list)
        if (text == item)
            return true;
    return false;
}

template <std::size_t N> bool holdsPlaceholder(std::string_view text, const std::array<std::string_view, N>& list)
{
    for (std::string_view item : list)
        if (checks::containsIgnoringCase(text, item))
            return true;
    return false;
}

// The data of a ProgID key is a class name such as "WMPlayer.OCX"; completed with the system
// folder it would look like a missing control, and removing it would break the class.
bool holdsClassName(std::string_view keyPath)
{
    const auto slash = keyPath.rfind('\\');
    const std::string_view last = slash == std::string_view::npos ? keyPath : keyPath.substr(slash + 1);
    const auto is = [last](std::string_view name) {
        return last.size() == name.size() && checks::containsIgnoringCase(last, name);
    };
    return is("PROGID") || is("VERSIONINDEPENDENTPROGID");
}

void checkProgramFile(ProgramFileCheck kind, const CheckInput& input, std::string data)
{
    const bool activeX = kind == ProgramFileCheck::activeX;
    if (checks::isBlank(data))
        return;
    CleanPathTextInPlace(data);
    if (activeX && !checks::contains(data, "."))
        return;

    const std::string extension = upper(trimmed(GetFileExtension(data)));
    if (activeX ? !isOneOf(extension, kActiveXExtensions) : !isOneOf(extension, kApplicationPathExtensions))
        return;

    if (activeX ? holdsPlaceholder(data, kActiveXPlaceholders) : holdsPlaceholder(data, kApplicationPathPlaceholders)) {
        CheckPlaceholderPath(input.context, input.hive, input.hiveName, input.valueName, data, input.scannerName,
                             input.keyPath);
        return;
    }

    if (checks::contains(data, "\\")) {
        // COM servers on removable, network or optical media come and go; only a fixed drive
        // gives a trustworthy answer.
        if (activeX && !IsOnFixedDrive(input.context.files, data))
            return;
        checks::recordIfMissing(input, data);
        return;
    }

    const std::string completed = checks::inSystemFolder(input.context, data);
    if (activeX && data.find('.') == 0)
        return;
    checks::recordIfMissing(input, completed, CompletedWithSystemFolder::yes);
}

} // namespace

void CheckActiveX(ScanContext& context, HKEY hive, const std::string& hiveName, const std::string& valueName,
                  std::string data, const std::string& scannerName, const std::string& keyPath)
{
    if (holdsClassName(keyPath))
        return;
    checkProgramFile(ProgramFileCheck::activeX, CheckInput{context, hive, hiveName, valueName, scannerName, keyPath},
                     std::move(data));
}

void CheckApplicationPath(ScanContext& context, HKEY hive, const std::string& hiveName, const std::string& valueName,
                          std::string data, const std::string& scannerName, const std::string& keyPath)
{
    checkProgramFile(ProgramFileCheck::applicationPath,
                     CheckInput{context, hive, hiveName, valueName, scannerName, keyPath}, std::move(data));
}

} // namespace tessivar
