#pragma once

// A scan context over the in-memory file system and registry, for the shortcut check and the
// drive walk, with counters for what the walk asks of the file system.

#include "engine/scan_context.h"
#include "settings/settings_store.h"
#include "support/fake_file_system.h"
#include "support/fake_host.h"
#include "support/fake_registry.h"
#include "support/memory_settings.h"
#include "support/null_platform.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tessivar::test {

class CountingFileSystem : public FakeFileSystem {
  public:
    FindHandle FindFirstFileA(std::string_view pattern, FindData* data, FindDetail detail) override
    {
        patterns.emplace_back(pattern);
        details.push_back(detail);
        return FakeFileSystem::FindFirstFileA(pattern, data, detail);
    }
    std::uint32_t GetFileAttributesA(std::string_view path) override
    {
        ++attributeReads;
        return FakeFileSystem::GetFileAttributesA(path);
    }
    bool readFile(std::string_view path, std::string* bytes, std::size_t maxBytes) override
    {
        filesRead.emplace_back(path);
        return FakeFileSystem::readFile(path, bytes, maxBytes);
    }
    bool GetVolumeInformationA(std::string_view root, std::string* name, std::uint32_t* serial,
                               std::string* fileSystem) override
    {
        if (volumeUnreadable)
            return false;
        return FakeFileSystem::GetVolumeInformationA(root, name, serial, fileSystem);
    }
    std::uint64_t folderDevice(std::string_view folder) override
    {
        const auto found = devices.find(std::string(folder));
        return found == devices.end() ? defaultDevice : found->second;
    }
    // The fake's identities, with the devices above when set, and a folder of `sameAs` standing
    // for another folder as a second route to it (a bind mount, a second drive letter) would.
    std::optional<FileIdentity> fileIdentity(std::string_view path) override
    {
        const auto other = sameAs.find(std::string(path));
        auto identity = FakeFileSystem::fileIdentity(other == sameAs.end() ? path : std::string_view(other->second));
        if (identity && (defaultDevice != 0 || devices.count(std::string(path)) > 0))
            identity->device = folderDevice(path);
        return identity;
    }

    std::vector<std::string> patterns;
    std::vector<FindDetail> details;
    std::vector<std::string> filesRead;
    int attributeReads = 0;
    bool volumeUnreadable = false;
    std::map<std::string, std::uint64_t> devices; // by folder path with its trailing backslash
    std::map<std::string, std::string> sameAs;    // by folder path with its trailing backslash
    std::uint64_t defaultDevice = 0;
};

struct WalkContext {
    CountingFileSystem files;
    FakeRegistry registry;
    FixedClock clock;
    FakeHost host;
    MemorySettings backend;
    SettingsStore settings{backend};
    ScanModel model;
    ScanContext context{registry, files, settings, clock, host, model};

    std::vector<std::string> recorded() const
    {
        std::vector<std::string> paths;
        for (const auto& entry : model.lvwShortcut)
            paths.push_back(entry.path);
        return paths;
    }
};

} // namespace tessivar::test
