#include "shell/message_box.h"

#include "results/repair.h"

#include <array>
#include <utility>

namespace tessivar {

namespace {

std::string trimmedUpper(std::string_view text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    std::string out(text.substr(first, text.find_last_not_of(' ') - first + 1));
    for (char& c : out) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return out;
}

std::optional<MessageKind> kindOf(std::string_view request)
{
    constexpr std::array kinds{MessageKind::FilesRepaired, MessageKind::CloseConfirmation, MessageKind::CancelScanning,
                               MessageKind::DeleteBackupFile, MessageKind::ScanRefused};
    const std::string wanted = trimmedUpper(request);
    for (MessageKind kind : kinds) {
        if (wanted == MessageRequestText(kind))
            return kind;
    }
    return std::nullopt;
}

} // namespace

FrmMessagebox::FrmMessagebox(MessageKind kind, std::string_view outcomeText) : m_outcomeText(outcomeText)
{
    MessageboxRequest.clear();
    MessageboxRequest = MessageRequestText(kind);
}

FrmMessagebox::FrmMessagebox(std::string request, std::string_view outcomeText)
    : MessageboxRequest(std::move(request)), m_outcomeText(outcomeText)
{
}

void FrmMessagebox::Form_Load()
{
    m_kind = kindOf(MessageboxRequest);
    OkLeft = kMessageboxOkDesignedLeft;
    CancelLeft = kMessageboxCancelDesignedLeft;
    CancelPair.visible = true;
    lblMessage.clear();
    if (m_kind && isReport(*m_kind)) {
        // A repair with nothing particular to say gets the box's own report.
        lblMessage = m_outcomeText.empty() && m_kind == MessageKind::FilesRepaired ? std::string(kAllRepairedText)
                                                                                   : m_outcomeText;
        CancelPair.visible = false;
        CancelPair.lit = false;
        OkLeft = kMessageboxOkAloneLeft;
    } else if (m_kind == MessageKind::CloseConfirmation) {
        lblMessage = "Are you sure you want close Tessivar ?";
    } else if (m_kind == MessageKind::CancelScanning) {
        lblMessage = "Are you sure you want to stop the scanning ?";
    } else if (m_kind == MessageKind::DeleteBackupFile) {
        lblMessage = "Are you sure you want delete the selected file ?";
    }
    notifyChanged();
}

bool FrmMessagebox::isQuestion() const
{
    return m_kind.has_value() && !isReport(*m_kind);
}

void FrmMessagebox::ImgOKNormal_MouseMove()
{
    if (OkPair.hover())
        notifyChanged();
}

void FrmMessagebox::ImgCancelNormal_MouseMove()
{
    if (CancelPair.hover())
        notifyChanged();
}

void FrmMessagebox::Picture1_MouseMove()
{
    bool changed = OkPair.reset();
    if (isQuestion())
        changed = CancelPair.reset() || changed;
    if (changed)
        notifyChanged();
}

void FrmMessagebox::setAnswer(std::string_view answer)
{
    MessageboxRequest.clear();
    MessageboxRequest = answer;
}

void FrmMessagebox::ImgOkMouseMove_Click()
{
    if (isQuestion())
        setAnswer("YES");
    closed = true;
    notifyChanged();
}

void FrmMessagebox::ImgCancelMouseMove_Click()
{
    // A report has no Cancel; the pair is hidden and cannot be clicked.
    if (m_kind && isReport(*m_kind))
        return;
    if (isQuestion())
        setAnswer("NO");
    closed = true;
    notifyChanged();
}

void FrmMessagebox::Form_Unload()
{
    closed = true;
    notifyChanged();
}

MessageAnswer FrmMessagebox::answer() const
{
    return trimmedUpper(MessageboxRequest) == "YES" ? MessageAnswer::yes : MessageAnswer::no;
}

} // namespace tessivar
