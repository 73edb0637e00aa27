#include "shell/notification.h"

namespace tessivar {

void FrmNotification::Form_Load()
{
    chkDoNotShowInFuture = CheckBoxValue::Unchecked;
    ImgOK = SkinnedPair{};
    loaded = true;
    notifyChanged();
}

void FrmNotification::setDoNotShowInFuture(CheckBoxValue value)
{
    if (value == chkDoNotShowInFuture)
        return;
    chkDoNotShowInFuture = value;
    chkDoNotShowInFuture_Click();
}

void FrmNotification::chkDoNotShowInFuture_UserClick()
{
    setDoNotShowInFuture(chkDoNotShowInFuture == CheckBoxValue::Checked ? CheckBoxValue::Unchecked
                                                                        : CheckBoxValue::Checked);
}

void FrmNotification::chkDoNotShowInFuture_Click()
{
    m_settings.WriteSetting("chkDoNotShowInFuture", chkDoNotShowInFuture == CheckBoxValue::Unchecked ? "0" : "1");
    notifyChanged();
}

void FrmNotification::Label1_Click()
{
    setDoNotShowInFuture(chkDoNotShowInFuture != CheckBoxValue::Unchecked ? CheckBoxValue::Unchecked
                                                                          : CheckBoxValue::Checked);
}

void FrmNotification::ImgOKNormal_MouseMove()
{
    if (ImgOK.hover())
        notifyChanged();
}

void FrmNotification::Picture1_MouseMove()
{
    if (ImgOK.reset())
        notifyChanged();
}

void FrmNotification::ImgOkMouseMove_Click()
{
    if (!ImgOK.takesClick())
        return;
    Form_Unload();
}

void FrmNotification::Form_Unload()
{
    if (!loaded)
        return;
    loaded = false;
    notifyChanged();
}

} // namespace tessivar
