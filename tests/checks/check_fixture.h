#pragma once

// What the check tests share: a context over an in-memory machine with a known set of files, and
// the expected-row notation of the tables.

#include "engine/problem_list.h"
#include "engine/scan_context.h"
#include "support/fake_file_system.h"
#include "support/fake_registry.h"
#include "support/null_platform.h"

#include <gtest/gtest.h>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace tessivar::test {

// The machine every check test looks at.
//   C: fixed, D: CD-ROM, N: network (both with a root, so a search there would succeed).
inline void addCheckScene(FakeFileSystem& files)
{
    files.addDrive('D', DriveType::cdrom);
    files.addDrive('N', DriveType::network);
    for (const char* name : {"present.dll", "present.ocx", "present.exe", "present.ax", "rundll32.exe", "present.hlp",
                             "present.chm", "setup.exe"})
        files.addFile(std::string("C:\\windows\\system32\\") + name);
    files.addFile("C:\\windows\\system32\\hidden.dll", "", FILE_ATTRIBUTE_HIDDEN);
    files.addFile("C:\\windows\\system32\\system.dll", "", FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN);
    files.addFile("C:\\windows\\help\\present.hlp");
    files.addFile("C:\\windows\\Fonts\\arial.ttf");
    files.addFile("C:\\Program Files\\App\\app.exe");
    files.addFile("C:\\Program Files\\App.v2\\app.exe");
    files.addFolder("C:\\Program Files\\App\\plugins.dll");
    files.addFolder("C:\\Program Files\\Common Files");
    files.addFolder("C:\\Install.Source");
    files.addFile("D:\\present.ocx");
}

struct CheckContext {
    FakeFileSystem files;
    FakeRegistry registry;
    FixedClock clock;
    FakeHost host;
    MemorySettings backend;
    SettingsStore settings{backend};
    ScanModel model;
    ScanContext context{registry, files, settings, clock, host, model};

    CheckContext()
    {
        addCheckScene(files);
        registry.setString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir",
                           "C:\\Program Files");
        registry.setString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "CommonFilesDir",
                           "C:\\Program Files\\Common Files");
    }
    CheckContext(const CheckContext&) = delete;
    CheckContext& operator=(const CheckContext&) = delete;

    std::vector<ProblemEntry> rows() const { return {model.lvwErrors.begin(), model.lvwErrors.end()}; }
};

// What a row should say about the file; the other five fields come from the call.
struct Expect {
    std::string keyValue;
    std::string defaultOrNot;
};

inline Expect missing(std::string path)
{
    return {std::move(path), ""};
}
inline Expect missingInSystemFolder(std::string name)
{
    return {"C:\\windows\\system32\\" + name, "Yes"};
}

// The six inputs of a call, as the walk would give them.
struct CallInput {
    HKEY hive = HKEY_LOCAL_MACHINE;
    std::string hiveName = "HKEY_LOCAL_MACHINE";
    std::string valueName;
    std::string scannerName;
    std::string keyPath;
};

inline ProblemEntry expectedRow(const CallInput& call, const Expect& expect, std::string keyName)
{
    ProblemEntry row;
    row.MainKey = std::to_string(static_cast<std::int32_t>(call.hive));
    row.KeyName = std::move(keyName);
    row.KeyValue = expect.keyValue;
    row.RegistryScanners = call.scannerName;
    row.FullKeyPath = call.keyPath;
    row.mainkeyname = call.hiveName;
    row.DefaultOrNot = expect.defaultOrNot;
    return row;
}

inline bool sameRow(const ProblemEntry& a, const ProblemEntry& b)
{
    return a.MainKey == b.MainKey && a.KeyName == b.KeyName && a.KeyValue == b.KeyValue &&
           a.RegistryScanners == b.RegistryScanners && a.FullKeyPath == b.FullKeyPath &&
           a.mainkeyname == b.mainkeyname && a.DefaultOrNot == b.DefaultOrNot;
}

inline std::string describeRow(const ProblemEntry& r)
{
    return "[" + r.MainKey + " | " + r.KeyName + " | " + r.KeyValue + " | " + r.RegistryScanners + " | " +
           r.FullKeyPath + " | " + r.mainkeyname + " | " + r.DefaultOrNot + "]";
}

// Names the instances of a parameterised table after its rows' `name`.
struct CaseName {
    template <class ParamInfo> std::string operator()(const ParamInfo& param) const { return param.param.name; }
};

// Compares every field of every row, in order, and the detection count: one signal per row.
inline void expectRows(const CheckContext& machine, const std::vector<ProblemEntry>& expected)
{
    const std::vector<ProblemEntry> actual = machine.rows();
    std::string want;
    std::string got;
    for (const auto& row : expected)
        want += describeRow(row) + "\n";
    for (const auto& row : actual)
        got += describeRow(row) + "\n";
    bool same = actual.size() == expected.size();
    for (std::size_t i = 0; same && i < actual.size(); ++i)
        same = sameRow(actual[i], expected[i]);
    EXPECT_TRUE(same) << "expected:\n" << want << "got:\n" << got;
    EXPECT_EQ(machine.model.lblProblemsFound, std::to_string(expected.size()));
}

} // namespace tessivar::test
