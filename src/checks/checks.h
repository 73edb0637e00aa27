#pragma once

// The registry checks, one per scanner name. Each receives the hive handle, the hive's name, the
// value name, its own copy of the value's data as text, the scanner name and the key path, and
// records at most the problems its rules name.

#include "platform/registry.h"

#include <string>

namespace tessivar {

struct ScanContext;

void CheckActiveX(ScanContext& context, HKEY hive, const std::string& hiveName, const std::string& valueName,
                  std::string data, const std::string& scannerName, const std::string& keyPath);
void CheckApplicationPath(ScanContext& context, HKEY hive, const std::string& hiveName, const std::string& valueName,
                          std::string data, const std::string& scannerName, const std::string& keyPath);
void CheckHelpFile(ScanContext& context, HKEY hive, const std::string& hiveName, const std::string& valueName,
                   std::string data, const std::string& scannerName, const std::string& keyPath);
void CheckSharedFile(ScanContext& context, HKEY hive, const std::string& hiveName, const std::string& valueName,
                     std::string data, const std::string& scannerName, const std::string& keyPath);
void CheckStartup(ScanContext& context, HKEY hive, const std::string& hiveName, const std::string& valueName,
                  std::string data, const std::string& scannerName, const std::string& keyPath);
void CheckUninstall(ScanContext& context, HKEY hive, const std::string& hiveName, const std::string& valueName,
                    std::string data, const std::string& scannerName, const std::string& keyPath);
void CheckVirtualDevice(ScanContext& context, HKEY hive, const std::string& hiveName, const std::string& valueName,
                        std::string data, const std::string& scannerName, const std::string& keyPath);
void CheckFont(ScanContext& context, HKEY hive, const std::string& hiveName, const std::string& valueName,
               std::string data, const std::string& scannerName, const std::string& keyPath);

// The uninstall values that name a place ("INSTALLSOURCE", "MODIFYPATH", "DISPLAYICON"): the
// drive path in the data, or a bare name in the system folder; at most one problem.
void CheckUninstallLocation(ScanContext& context, HKEY hive, const std::string& hiveName, const std::string& valueName,
                            std::string data, const std::string& scannerName, const std::string& keyPath);
// The second stage of the start-up check: tests the one or two drive paths ("X:\...") of a
// command line; at most two problems, in the order of the line.
void CheckStartupDrivePaths(ScanContext& context, HKEY hive, const std::string& hiveName, const std::string& valueName,
                            std::string data, const std::string& scannerName, const std::string& keyPath);

} // namespace tessivar
