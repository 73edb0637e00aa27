#pragma once

// The program's few questions and its one report, as the caller names them, and the answer a
// question gets back. The message box itself holds the texts it shows.

#include <string_view>

namespace tessivar {

enum class MessageKind { FilesRepaired, CloseConfirmation, CancelScanning, DeleteBackupFile };
enum class MessageAnswer { yes, no };

// The text that names the kind in the message box's shared request.
constexpr std::string_view MessageRequestText(MessageKind kind)
{
    switch (kind) {
    case MessageKind::FilesRepaired:
        return "FILES REPAIRED";
    case MessageKind::CloseConfirmation:
        return "CLOSE CONFERMATION";
    case MessageKind::CancelScanning:
        return "CANCEL SCANNING";
    case MessageKind::DeleteBackupFile:
        return "DELETE BACKUP FILE";
    }
    return {};
}

} // namespace tessivar
