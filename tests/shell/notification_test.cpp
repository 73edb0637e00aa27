#include "shell/notification.h"
#include "support/memory_settings.h"

#include <gtest/gtest.h>

namespace tessivar {
namespace {

class FrmNotificationTest : public ::testing::Test {
  protected:
    test::MemorySettings backend;
    SettingsStore settings{backend};
    FrmNotification form{settings};
    void SetUp() override { form.Form_Load(); }
    std::string stored() const { return backend.get("chkDoNotShowInFuture").value_or("<none>"); }
};

TEST_F(FrmNotificationTest, StartsUncheckedWithoutWritingWhateverIsStored)
{
    backend.set("chkDoNotShowInFuture", "1");
    form.chkDoNotShowInFuture = CheckBoxValue::Checked;
    form.Form_Load();
    EXPECT_EQ(form.chkDoNotShowInFuture, CheckBoxValue::Unchecked);
    EXPECT_EQ(stored(), "1");
}

TEST_F(FrmNotificationTest, EveryChangeIsStoredAtOnce)
{
    // (action, state after, stored after); tick and untick again before OK leaves "0".
    form.chkDoNotShowInFuture_UserClick();
    EXPECT_EQ(stored(), "1");
    form.chkDoNotShowInFuture_UserClick();
    EXPECT_EQ(stored(), "0");
    EXPECT_EQ(form.chkDoNotShowInFuture, CheckBoxValue::Unchecked);

    form.Label1_Click();
    EXPECT_EQ(form.chkDoNotShowInFuture, CheckBoxValue::Checked);
    EXPECT_EQ(stored(), "1");
    form.Label1_Click();
    EXPECT_EQ(form.chkDoNotShowInFuture, CheckBoxValue::Unchecked) << "two label clicks leave it unchecked";
    EXPECT_EQ(stored(), "0");

    form.setDoNotShowInFuture(CheckBoxValue::Grayed);
    form.Label1_Click();
    EXPECT_EQ(form.chkDoNotShowInFuture, CheckBoxValue::Unchecked) << "the label unchecks any checked state";
    EXPECT_EQ(stored(), "0");
}

TEST_F(FrmNotificationTest, OkClosesOnlyWhileLitAndTheTitleBarCloseDoesTheSame)
{
    form.ImgOkMouseMove_Click();
    EXPECT_TRUE(form.loaded) << "idle OK does not act";
    form.ImgOKNormal_MouseMove();
    form.Picture1_MouseMove();
    form.ImgOkMouseMove_Click();
    EXPECT_TRUE(form.loaded) << "the background put it back to idle";
    form.ImgOKNormal_MouseMove();
    form.ImgOkMouseMove_Click();
    EXPECT_FALSE(form.loaded);

    form.Form_Load();
    form.Label1_Click();
    form.Form_Unload();
    EXPECT_FALSE(form.loaded);
    EXPECT_EQ(stored(), "1");
}

} // namespace
} // namespace tessivar
