#include "shell/message_box.h"

#include <gtest/gtest.h>

namespace tessivar {
namespace {

TEST(MessageRequestText, NamesEachKindAsTheBoxReadsIt)
{
    const std::pair<MessageKind, std::string_view> cases[] = {
        {MessageKind::FilesRepaired, "FILES REPAIRED"},   {MessageKind::CloseConfirmation, "CLOSE CONFERMATION"},
        {MessageKind::CancelScanning, "CANCEL SCANNING"}, {MessageKind::DeleteBackupFile, "DELETE BACKUP FILE"},
        {MessageKind::ScanRefused, "SCAN REFUSED"},
    };
    for (const auto& [kind, text] : cases) {
        FrmMessagebox box(kind);
        EXPECT_EQ(box.MessageboxRequest, text);
        box.Form_Load();
        EXPECT_EQ(box.kind(), kind) << text;
    }
}

TEST(FrmMessagebox, LowerCaseAndBlanksNameTheSameKind)
{
    const std::pair<std::string, std::string_view> cases[] = {
        {"  cancel scanning ", "Are you sure you want to stop the scanning ?"},
        {"Delete Backup File", "Are you sure you want delete the selected file ?"},
        {" close confermation", "Are you sure you want close Tessivar ?"},
    };
    for (const auto& [request, message] : cases) {
        FrmMessagebox box(request);
        box.Form_Load();
        EXPECT_EQ(box.lblMessage, message) << request;
        EXPECT_TRUE(box.CancelPair.visible);
        EXPECT_EQ(box.OkLeft, kMessageboxOkDesignedLeft);
    }
}

TEST(FrmMessagebox, ReportShowsItsOutcomeAloneCentredAndKeepsItsKind)
{
    FrmMessagebox box(" files repaired", "2 of 3 problems were repaired");
    int changes = 0;
    box.setObserver([&] { ++changes; });
    box.Form_Load();
    EXPECT_EQ(box.lblMessage, "2 of 3 problems were repaired");
    EXPECT_FALSE(box.CancelPair.visible);
    EXPECT_EQ(box.OkLeft, kMessageboxOkAloneLeft);
    box.ImgOKNormal_MouseMove();
    box.ImgOkMouseMove_Click();
    EXPECT_TRUE(box.closed);
    EXPECT_EQ(box.MessageboxRequest, " files repaired");
    EXPECT_EQ(box.answer(), MessageAnswer::no);
    EXPECT_EQ(changes, 3);

    FrmMessagebox plain(MessageKind::FilesRepaired);
    plain.Form_Load();
    EXPECT_EQ(plain.lblMessage, " All Problems were repaired sucessfully !");

    FrmMessagebox refused(MessageKind::ScanRefused, "The registry cannot be scanned: why");
    refused.Form_Load();
    EXPECT_EQ(refused.lblMessage, "The registry cannot be scanned: why");
    EXPECT_FALSE(refused.CancelPair.visible);
    refused.ImgOkMouseMove_Click();
    EXPECT_EQ(refused.answer(), MessageAnswer::no);
}

TEST(FrmMessagebox, OnlyOkAnswersYes)
{
    struct Case {
        void (FrmMessagebox::*close)();
        std::string_view left;
        MessageAnswer answer;
    };
    const Case cases[] = {
        {&FrmMessagebox::ImgOkMouseMove_Click, "YES", MessageAnswer::yes},
        {&FrmMessagebox::ImgCancelMouseMove_Click, "NO", MessageAnswer::no},
        {&FrmMessagebox::Form_Unload, "CANCEL SCANNING", MessageAnswer::no},
    };
    for (const Case& c : cases) {
        FrmMessagebox box(MessageKind::CancelScanning);
        box.Form_Load();
        (box.*c.close)();
        EXPECT_TRUE(box.closed);
        EXPECT_EQ(box.MessageboxRequest, c.left);
        EXPECT_EQ(box.answer(), c.answer) << c.left;
    }
}

TEST(FrmMessagebox, BackgroundPutsTheQuestionsPairsBackToIdle)
{
    FrmMessagebox box(MessageKind::DeleteBackupFile);
    box.Form_Load();
    box.ImgOKNormal_MouseMove();
    box.ImgCancelNormal_MouseMove();
    EXPECT_TRUE(box.OkPair.lit && box.CancelPair.lit);
    box.Picture1_MouseMove();
    EXPECT_FALSE(box.OkPair.lit || box.CancelPair.lit);
}

} // namespace
} // namespace tessivar
