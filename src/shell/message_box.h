#pragma once

// FrmMessagebox: the skinned box that asks the program's few questions and gives its one report.
// The caller names the kind in the shared text `MessageboxRequest`; the box reads it when it
// loads and, for a question, leaves the answer "YES" or "NO" in the same text. The box holds all
// the texts it shows but the repair's report, which the caller hands over.

#include "engine/message_kind.h"
#include "shell/observable.h"
#include "shell/skin.h"

#include <optional>
#include <string>
#include <string_view>

namespace tessivar {

// The box's client area and where its buttons lie, in twips.
inline constexpr int kMessageboxWidth = 6720;
inline constexpr int kMessageboxHeight = 1785;
inline constexpr int kMessageboxOkDesignedLeft = 1695;
inline constexpr int kMessageboxCancelDesignedLeft = 3435;
// The OK pair alone, centred, when the box only reports.
inline constexpr int kMessageboxOkAloneLeft = 2565;

class FrmMessagebox : public Observable {
  public:
    // The caller's first step: the shared text emptied, then set to the kind's request text.
    explicit FrmMessagebox(MessageKind kind, std::string_view outcomeText = {});
    // A request as written by whoever set the shared text (letter case and blanks as they are).
    explicit FrmMessagebox(std::string request, std::string_view outcomeText = {});

    // Reads the request (trimmed, upper-cased) and sets the message and the buttons.
    void Form_Load();

    // Hover over the idle pictures of the pairs.
    void ImgOKNormal_MouseMove();
    void ImgCancelNormal_MouseMove();
    // The mouse over the background: the OK pair back to idle, and the Cancel pair for a question.
    void Picture1_MouseMove();

    // OK: a question is answered yes; the report keeps its kind in the shared text. Closes.
    void ImgOkMouseMove_Click();
    // Cancel: a question is answered no. Closes.
    void ImgCancelMouseMove_Click();
    // A close by the platform (not by a button): the shared text keeps the kind.
    void Form_Unload();

    // Yes exactly when the shared text, trimmed and upper-cased, is "YES".
    MessageAnswer answer() const;

    // The shared text: the kind asked for, then the answer.
    std::string MessageboxRequest;
    std::string lblMessage;
    SkinnedPair OkPair;     // ImgOKNormal / ImgOkMouseMove
    SkinnedPair CancelPair; // ImgCancelNormal / ImgCancelMouseMove; `visible` false for a report
    int OkLeft = kMessageboxOkDesignedLeft;
    int CancelLeft = kMessageboxCancelDesignedLeft;
    // Shared by the drag areas ImgFormMove and ImgToolBarOrlenda.
    WindowDrag drag;
    bool closed = false;

    // The kind Form_Load recognised; nullopt for a request that names none (OK and Cancel then
    // only close the box, which reads as no).
    std::optional<MessageKind> kind() const { return m_kind; }

  private:
    void setAnswer(std::string_view answer);
    bool isQuestion() const;

    std::string m_outcomeText;
    std::optional<MessageKind> m_kind;
};

} // namespace tessivar
