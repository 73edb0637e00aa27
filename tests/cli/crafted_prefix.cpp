#include "cli/crafted_prefix.h"

#include <fstream>
#include <map>
#include <utility>

namespace tessivar::test {

namespace {

namespace fs = std::filesystem;

constexpr const char* kHKCR = "-2147483648";
constexpr const char* kHKCU = "-2147483647";
constexpr const char* kHKLM = "-2147483646";

// One registry file in Wine's text form. Keys are written in the order they are first named;
// the cases below name sibling keys in alphabetical order, as Wine keeps them.
class RegFile {
  public:
    explicit RegFile(std::string root) : m_root(std::move(root)) {}

    void value(const std::string& key, const std::string& name, const std::string& data)
    {
        section(key).lines.push_back((name.empty() ? std::string("@") : "\"" + escape(name) + "\"") + "=\"" +
                                     escape(data) + "\"");
    }
    void key(const std::string& key) { section(key); }
    // A registry link to `target` (an absolute registry path such as \Registry\Machine\Software\X).
    void link(const std::string& key, const std::string& target)
    {
        Section& s = section(key);
        s.lines.push_back("#link");
        std::string hex;
        for (char c : target) {
            char byte[8];
            std::snprintf(byte, sizeof byte, "%02x,00,", static_cast<unsigned char>(c));
            hex += byte;
        }
        hex.pop_back();
        s.lines.push_back("\"SymbolicLinkValue\"=hex(6):" + hex);
    }

    void save(const fs::path& file) const
    {
        std::ofstream out(file, std::ios::binary);
        out << "WINE REGISTRY Version 2\n;; All keys relative to " << m_root << "\n\n#arch=win64\n";
        for (const std::string& name : m_order) {
            out << "\n[" << escapeKey(name) << "] 1700000000\n";
            for (const std::string& line : m_sections.at(name).lines)
                out << line << '\n';
        }
    }

  private:
    struct Section {
        std::vector<std::string> lines;
    };
    Section& section(const std::string& key)
    {
        auto found = m_sections.find(key);
        if (found != m_sections.end())
            return found->second;
        m_order.push_back(key);
        return m_sections[key];
    }
    static std::string escape(const std::string& text)
    {
        std::string out;
        for (char c : text) {
            if (c == '\\' || c == '"')
                out += '\\';
            out += c;
        }
        return out;
    }
    static std::string escapeKey(const std::string& path)
    {
        std::string out;
        for (char c : path) {
            if (c == '\\')
                out += "\\\\";
            else if (c == '[' || c == ']')
                out += std::string("\\") + c;
            else
                out += c;
        }
        return out;
    }

    std::string m_root;
    std::vector<std::string> m_order;
    std::map<std::string, Section> m_sections;
};

void touch(const fs::path& file)
{
    fs::create_directories(file.parent_path());
    std::ofstream(file) << "x";
}

struct CaseRow {
    std::string keyName;
    std::string keyValue;
    std::string defaultOrNot;
    std::string why;
};

} // namespace

std::string ExpectedRow::tsvLine() const
{
    return MainKey + '\t' + KeyName + '\t' + KeyValue + '\t' + RegistryScanners + '\t' + FullKeyPath + '\t' +
           mainkeyname + '\t' + DefaultOrNot;
}

std::vector<ExpectedRow> writeCraftedPrefix(const fs::path& prefix)
{
    const fs::path c = prefix / "drive_c";
    for (const char* file :
         {"windows/system32/present.dll", "windows/system32/present.ocx", "windows/system32/present.exe",
          "Program Files/App/app.exe", "windows/help/present.hlp", "windows/Fonts/present.ttf"})
        touch(c / file);
    for (const char* folder : {"Program Files/Plugin.ocx", "Program Files/Common Files/System", "Installers/Setup 1.0"})
        fs::create_directories(c / folder);

    RegFile machine("REGISTRY\\\\Machine");
    RegFile user("REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000");
    std::vector<ExpectedRow> rows;

    const std::string cv = "Software\\Microsoft\\Windows\\CurrentVersion";
    machine.value(cv, "ProgramFilesDir", "C:\\Program Files");
    machine.value(cv, "CommonFilesDir", "C:\\Program Files\\Common Files");

    // --- COM classes: HKEY_CLASSES_ROOT\CLSID is HKLM\Software\Classes\CLSID, so each class is
    // reported twice, once per section.
    struct ClassCase {
        std::string subkey; // below the class key
        std::string name;   // value name
        std::string data;
        std::string missing; // the row's KeyValue, empty when no row is expected
        std::string yes;
        std::string why;
    };
    const std::vector<ClassCase> classes{
        {"InprocServer32", "", "C:\\windows\\system32\\present.dll", "", "", "existing full path"},
        {"InprocServer32", "", "C:\\windows\\system32\\tessivar-gone.dll", "C:\\windows\\system32\\tessivar-gone.dll",
         "", "missing full path"},
        {"InprocServer32", "", "\"C:\\Program Files\\App\\gone.ocx\"", "C:\\Program Files\\App\\gone.ocx", "",
         "quotes are cleaned away"},
        {"InprocServer32", "", "gonebare.ocx", "C:\\windows\\system32\\gonebare.ocx", "Yes",
         "bare name completed with the system folder"},
        {"InprocServer32", "", "present.ocx", "", "", "bare name present in the system folder"},
        {"InprocServer32", "", "C:\\windows\\system32\\gone.dll,-101", "", "", "icon index: not a DLL extension"},
        {"InprocServer32", "", "%SystemRoot%\\system32\\gonesr.dll", "C:\\windows\\system32\\gonesr.dll", "",
         "%SystemRoot% expanded"},
        {"InprocServer32", "", "%SYSTEMROOT%\\system32\\present.dll", "", "", "placeholder in upper case, present"},
        {"ProgID", "", "Gone.OCX", "", "", "a class name is not a file"},
        {"InprocServer32", "ThreadingModel", "Apartment", "", "", "no file extension"},
        {"InprocServer32", "", "C:\\WINDOWS\\SYSTEM32\\PRESENT.DLL", "", "", "letter case differs from the disk"},
        {"InprocServer32", "", "\\\\server\\share\\gone.dll", "", "", "network path: not on a fixed drive"},
        {"InprocServer32", "", "C:\\Program Files\\Plugin.ocx", "", "", "an existing folder is not a missing file"},
        {"", "", "", "", "", "a registry link is not walked"},
        {"InprocServer32", "", "%ProgramFiles%\\App\\gonepf.exe", "C:\\Program Files\\App\\gonepf.exe", "",
         "%ProgramFiles% expanded"},
        {"LocalServer32", "", "\"C:\\Program Files\\App\\gone.exe\" -embedding", "", "",
         "switch after the program: no accepted extension"},
        {"InprocServer32", "", "%Sysroot%\\gone.dll", "", "", "%Sysroot% names the common-files folder, which exists"},
        {"InprocServer32", "", "%CommonProgramFiles%\\System\\gonecp.dll",
         "C:\\Program Files\\Common Files\\System\\gonecp.dll", "", "%commonprogramfiles% expanded"},
        {"VersionIndependentProgID", "", "Other.DLL", "", "", "a class name is not a file"},
    };
    machine.value("Software\\LinkTarget\\InprocServer32", "", "C:\\linked\\gone.dll");
    std::vector<CaseRow> classRows;
    std::vector<std::string> classPaths;
    for (std::size_t i = 0; i < classes.size(); ++i) {
        char clsid[64];
        std::snprintf(clsid, sizeof clsid, "{00000000-0000-0000-0000-0000000000%02zu}", i + 1);
        const ClassCase& k = classes[i];
        const std::string key = std::string("Software\\Classes\\CLSID\\") + clsid;
        if (k.subkey.empty()) {
            machine.link(key, "\\Registry\\Machine\\Software\\LinkTarget");
            continue;
        }
        machine.value(key + "\\" + k.subkey, k.name, k.data);
        if (!k.missing.empty()) {
            classRows.push_back({k.name.empty() ? "(Default)" : k.name, k.missing, k.yes, k.why});
            classPaths.push_back(std::string("CLSID\\") + clsid + "\\" + k.subkey);
        }
    }
    for (const auto& [hive, mainKey, scanner, prefixPath] :
         {std::tuple{"HKEY_CLASSES_ROOT", kHKCR, "ActiveX \\ COM", ""},
          std::tuple{"HKEY_LOCAL_MACHINE", kHKLM, "ActiveX \\ COM Subsections", "SOFTWARE\\Classes\\"}}) {
        for (std::size_t i = 0; i < classRows.size(); ++i) {
            const CaseRow& r = classRows[i];
            rows.push_back(
                {mainKey, r.keyName, r.keyValue, scanner, prefixPath + classPaths[i], hive, r.defaultOrNot, r.why});
        }
    }

    const auto hklmRow = [&](const std::string& scanner, const std::string& keyPath, const std::string& name,
                             const std::string& value, const std::string& yes, const std::string& why) {
        rows.push_back({kHKLM, name, value, scanner, keyPath, "HKEY_LOCAL_MACHINE", yes, why});
    };

    // --- Application paths.
    const std::string appPaths = cv + "\\App Paths";
    const std::string appPathsScan = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths";
    machine.value(appPaths + "\\gone.exe", "", "C:\\Program Files\\Gone\\gone.exe");
    machine.value(appPaths + "\\gone.exe", "Path", "C:\\Program Files\\Gone;");
    hklmRow("Application Paths", appPathsScan + "\\gone.exe", "(Default)", "C:\\Program Files\\Gone\\gone.exe", "",
            "missing program");
    machine.value(appPaths + "\\present.exe", "", "\"C:\\Program Files\\App\\app.exe\"");
    machine.value(appPaths + "\\sysroot.exe", "", "%Sysroot%\\gone.exe"); // no drive: cannot be tested
    machine.value(appPaths + "\\zbare.exe", "", "gonebare.exe");
    hklmRow("Application Paths", appPathsScan + "\\zbare.exe", "(Default)", "C:\\windows\\system32\\gonebare.exe",
            "Yes", "bare program name");

    // --- Help files: the value name is the file, the data its folder.
    // Wine keeps a key's values sorted by name (without regard to case), and that is the order a
    // walk meets them in; the expected rows below follow it.
    const std::string help = "Software\\Microsoft\\Windows\\Help";
    machine.value(help, "present.hlp", "C:\\windows\\help");
    machine.value(help, "blank.hlp", " ");
    hklmRow("Help Files", "SOFTWARE\\Microsoft\\Windows\\Help", "blank.hlp", "C:\\windows\\system32\\blank.hlp", "Yes",
            "blank folder: looked up in the system folder");
    machine.value(help, "gone.hlp", "C:\\windows\\help\\");
    hklmRow("Help Files", "SOFTWARE\\Microsoft\\Windows\\Help", "gone.hlp", "C:\\windows\\help\\gone.hlp", "",
            "folder already ends in a backslash");
    machine.value(help, "long.hlp", "C:\\" + std::string(300, 'x'));
    // Not visited: the value before it in Wine's order (values are kept sorted by name) is too large.
    machine.value(help, "zafter.hlp", "C:\\nowhere");
    machine.value("Software\\Microsoft\\Windows\\HTML Help", "gone.chm", "C:\\Docs");
    hklmRow("Help Files", "SOFTWARE\\Microsoft\\Windows\\HTML Help", "gone.chm", "C:\\Docs\\gone.chm", "",
            "second help key");

    // --- Shared files.
    const std::string shared = "Software\\Microsoft\\Shared Tools";
    const std::string sharedScan = "SOFTWARE\\Microsoft\\Shared Tools\\Tool";
    machine.value(shared, "Root", "C:\\gone\\root.exe"); // the start key's own values are not visited
    machine.value(shared + "\\Tool", "Bare", "goneshared.dll");
    hklmRow("Microsoft Shared", sharedScan, "Bare", "C:\\windows\\system32\\goneshared.dll", "Yes", "bare name");
    machine.value(shared + "\\Tool", "Present", "present.dll");
    machine.value(shared + "\\Tool", "Path", "C:\\Program Files\\Common Files\\gone.exe");
    hklmRow("Microsoft Shared", sharedScan, "Path", "C:\\Program Files\\Common Files\\gone.exe", "", "missing file");
    machine.value(shared + "\\Tool", "Pattern", "gone*.dll");
    machine.value(shared + "\\Tool", "LongExt", "C:\\gone\\file.html");

    // --- Start-up: the Run key's own values, its subkeys, then the start-menu order tree.
    const std::string run = cv + "\\Run";
    const std::string runScan = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
    machine.value(run, "Gone", "\"C:\\Program Files\\Gone\\gone.exe\" /background");
    hklmRow("Windows Startup", runScan, "Gone", "C:\\Program Files\\Gone\\gone.exe", "",
            "quoted program with a slash switch");
    machine.value(run, "Host", "C:\\gone\\host.exe C:\\gone\\loaded.dll,Start");
    hklmRow("Windows Startup", runScan, "Host", "C:\\gone\\host.exe ", "",
            "two drive paths: the first keeps its blank");
    hklmRow("Windows Startup", runScan, "Host", "C:\\gone\\loaded.dll", "", "two drive paths: the second");
    machine.value(run, "Present", "C:\\Program Files\\App\\app.exe -min");
    machine.value(run, "Rundll", "rundll32.exe gonelib.dll,Entry");
    hklmRow("Windows Startup", runScan, "Rundll", "C:\\windows\\system32\\gonelib.dll", "Yes",
            "host program and library with an entry point");
    machine.value(run + "\\Sub", "x", "C:\\gone\\runsub.exe");
    hklmRow("Windows Startup", runScan + "\\Sub", "x", "C:\\gone\\runsub.exe", "", "a subkey of Run");
    const std::string menu = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\Start Menu\\Programs";
    user.value(menu, "Top", "C:\\gone\\top.exe"); // the start key's own values are not visited
    user.value(menu + "\\Sub", "Item", "C:\\gone\\menu.exe");
    rows.push_back({kHKCU, "Item", "C:\\gone\\menu.exe", "Windows Startup", menu + "\\Sub", "HKEY_CURRENT_USER", "",
                    "start-menu order tree"});

    // --- Uninstall entries.
    const std::string uninstall = cv + "\\Uninstall";
    const std::string uninstallScan = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\App";
    machine.value(uninstall + "\\App", "DisplayName", "App 1.0");
    machine.value(uninstall + "\\App", "DisplayIcon", "C:\\Program Files\\App\\app.exe,0");
    machine.value(uninstall + "\\App", "InstallSource", "C:\\Installers\\Setup 1.0");
    machine.value(uninstall + "\\App", "ModifyPath", "C:\\Installers\\gone.msi /modify");
    hklmRow("Uninstall Section", uninstallScan, "ModifyPath", "C:\\Installers\\gone.msi", "", "modify command");
    machine.value(uninstall + "\\App", "QuietUninstallString", "\"C:\\Program Files\\App\\uninst.exe\" /quiet");
    machine.value(uninstall + "\\App", "uninstallpath", "goneun.exe");
    hklmRow("Uninstall Section", uninstallScan, "uninstallpath", "C:\\windows\\system32\\goneun.exe", "Yes",
            "value names compare without case");
    machine.value(uninstall + "\\App", "UninstallString", "C:\\Program Files\\App\\uninst.exe /S");
    hklmRow("Uninstall Section", uninstallScan, "UninstallString", "C:\\Program Files\\App\\uninst.exe", "",
            "uninstall command with a switch");
    machine.value(uninstall + "\\Web", "InstallSource", "http://example.com/setup.exe");

    // --- Virtual devices.
    const std::string vxd = "System\\CurrentControlSet\\Control\\VirtualDeviceDrivers";
    const std::string vxdScan = "SYSTEM\\CurrentControlSet\\Control\\VirtualDeviceDrivers";
    machine.value(vxd, "VxD1", "C:\\windows\\system32\\gone.vxd");
    hklmRow("VxD Section", vxdScan, "VxD1", "C:\\windows\\system32\\gone.vxd", "", "missing driver");
    machine.value(vxd, "VxD2", "present.dll");
    machine.value(vxd, "VxD3", "gone3.vxd");
    hklmRow("VxD Section", vxdScan, "VxD3", "C:\\windows\\system32\\gone3.vxd", "Yes", "bare driver name");

    // --- Fonts (Wine answers the NT family).
    const std::string fonts = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
    const std::string fontsScan = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
    machine.value(fonts, "Present (TrueType)", "present.ttf");
    machine.value(fonts, "Full (TrueType)", "C:\\Fonts2\\full.ttf");
    hklmRow("Windows Fonts", fontsScan, "Full (TrueType)", "C:\\Fonts2\\full.ttf", "", "full font path");
    machine.value(fonts, "Gone (TrueType)", "tessivar-gone.ttf");
    hklmRow("Windows Fonts", fontsScan, "Gone (TrueType)", "C:\\windows\\Fonts\\tessivar-gone.ttf", "",
            "bare font name: the font folder, never Yes");
    machine.value(fonts, "Case (TrueType)", "PRESENT.TTF");

    machine.save(prefix / "system.reg");
    user.save(prefix / "user.reg");
    RegFile defaults("REGISTRY\\\\User\\\\.Default");
    defaults.key("Software");
    defaults.save(prefix / "userdef.reg");
    return rows;
}

} // namespace tessivar::test
