#pragma once

// ModIEOpen: opens a web address in the program the desktop uses for a kind of document, found
// by asking for the program of a throw-away document of that kind in the temporary folder.

#include "platform/desktop_services.h"
#include "platform/file_system.h"

#include <string_view>

namespace tessivar {

// The throw-away document's name without its extension.
inline constexpr std::string_view kThrowAwayDocument = "temphtm.";

// Opens `address` (trimmed) maximised in the program for documents with `extension` ("htm").
// Nothing opens when there is no temporary folder, the throw-away document cannot be written, or
// no program is registered; the throw-away document is deleted in every case that wrote it.
void OpenWebPage(FileSystem& files, DocumentPrograms& programs, std::string_view address, std::string_view extension);

} // namespace tessivar
