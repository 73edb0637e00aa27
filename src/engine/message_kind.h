#pragma once

// The program's few questions and its reports, as the caller names them, and the answer a
// question gets back. The message box itself holds the texts it shows; a report shows the text
// its caller gives.

#include <string_view>

namespace tessivar {

enum class MessageKind { FilesRepaired, CloseConfirmation, CancelScanning, DeleteBackupFile, ScanRefused };
enum class MessageAnswer { yes, no };

// Reports have only an OK button; the others are questions.
constexpr bool isReport(MessageKind kind)
{
    return kind == MessageKind::FilesRepaired || kind == MessageKind::ScanRefused;
}

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
    case MessageKind::ScanRefused:
        return "SCAN REFUSED";
    }
    return {};
}

} // namespace tessivar
