#pragma once

// The three registry walks a scan is made of, and the hand-over of each value to the check its
// section names. Every walk shows where it is in the model's labels, yields to the host after
// each step, stops at the next check point once the scan is cancelled, and closes every key it
// opened on every way out. Nothing here changes the registry or reports an error.

#include "platform/registry.h"

#include <string>
#include <string_view>

namespace tessivar {

struct ScanContext;

// The signature every registry check shares (see checks/checks.h).
using RegistryCheck = void (*)(ScanContext& context, HKEY hive, const std::string& hiveName,
                               const std::string& valueName, std::string data, const std::string& scannerName,
                               const std::string& keyPath);

// The check a scanner name selects, compared exactly; nullptr for a name that selects none.
RegistryCheck CheckForScanner(std::string_view scannerName);

// Whether a walk hands each value to its scanner's check, or only shows it (the configuration
// files section).
enum class ValueChecks { run, none };

// Depth first below `keyPath`: for each subkey, its values, then its own subkeys. The start key's
// own values are not visited. A subkey that is a registry link is shown but neither its values
// nor its subtree are walked, so a link back to an ancestor cannot loop. One open key per level.
void WalkKeyTree(ScanContext& context, HKEY hive, const std::string& keyPath, const std::string& scannerName,
                 const std::string& hiveName, ValueChecks checks = ValueChecks::run);

// The values of `keyPath` only. A value whose name or data does not fit 255 bytes ends the walk
// of its key; the data handed on is read afresh and is not cut to that size.
void WalkKeyValues(ScanContext& context, HKEY hive, const std::string& keyPath, const std::string& scannerName,
                   const std::string& hiveName, ValueChecks checks = ValueChecks::run);

// Shows the names of the direct subkeys one by one; stops once cmdCancelOrStop is disabled.
void ListSubkeyNames(ScanContext& context, HKEY hive, const std::string& keyPath);

// Calls `check` (nullptr: none) with its own copy of the data, unless the scan has been cancelled.
void DispatchValue(ScanContext& context, RegistryCheck check, const std::string& data, const std::string& scannerName,
                   const std::string& valueName, HKEY hive, const std::string& hiveName, const std::string& keyPath);

} // namespace tessivar
