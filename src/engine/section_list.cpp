#include "engine/section_list.h"

#include "engine/catalogue.h"
#include "engine/scan_context.h"
#include "settings/setting_keys.h"
#include "settings/settings_store.h"

#include <vector>

namespace tessivar {

namespace {

const char* booleanText(bool value)
{
    return value ? "True" : "False";
}

// The steps an entry change shares with a click: the box follows, then every state is saved.
// The window is disabled meanwhile so that no second change slips in between.
void saveAfterEntryChange(ScanContext& context)
{
    UpdateSelectAllBox(context);
    ScanModel& model = context.model;
    model.mainWindowEnabled = false;
    for (std::size_t i = 0; i < model.lvwRegistryvaluesScan.size(); ++i) {
        const SectionListEntry& entry = model.lvwRegistryvaluesScan[i];
        context.settings.WriteSetting(entry.ListText, booleanText(entry.checked));
    }
    model.mainWindowEnabled = true;
}

// A check box that changes is announced; one set to what it shows already is not.
void setChecked(ScanModel& model, std::size_t index, bool checked)
{
    if (model.lvwRegistryvaluesScan[index].checked != checked)
        model.lvwRegistryvaluesScan.update(index, [&](SectionListEntry& entry) { entry.checked = checked; });
}

} // namespace

void LoadlvwRegistryvaluesScanValues(ScanContext& context)
{
    ScanModel& model = context.model;
    model.lvwRegistryvaluesScan.clear();
    for (const ScanSection& section : FixedScanSections())
        model.lvwRegistryvaluesScan.append(SectionListEntry{section.ListText, section.SmallIcon, false, false});

    // A drive whose folder lies outside the prefix holds shortcuts made for another system: it is
    // listed, but walked only when the user chose it.
    std::vector<bool> outsidePrefix(model.lvwRegistryvaluesScan.size(), false);
    for (const DriveInfo& drive : context.files.drives()) {
        if (drive.type == DriveType::fixed) {
            model.lvwRegistryvaluesScan.append(SectionListEntry{DriveEntryListText(drive.letter), kDriveEntrySmallIcon,
                                                                false, false, !drive.insidePrefix});
            outsidePrefix.push_back(!drive.insidePrefix);
        }
        context.host.yield();
    }

    for (std::size_t i = 0; i < model.lvwRegistryvaluesScan.size(); ++i) {
        const bool outside = i < outsidePrefix.size() && outsidePrefix[i];
        const std::string stored = context.settings.ReadSetting(model.lvwRegistryvaluesScan[i].ListText,
                                                                outside ? false : kSectionCheckedDefault);
        setChecked(model, i, SettingAsBoolean(stored).value_or(false));
        context.host.yield();
    }

    context.host.Picture1_MouseMove();
}

void UpdateSelectAllBox(ScanContext& context)
{
    ScanModel& model = context.model;
    model.UpdatingSelectAll = true;
    CheckState state = CheckState::unchecked;
    if (!model.lvwRegistryvaluesScan.empty()) {
        bool anyChecked = false;
        bool anyUnchecked = false;
        for (std::size_t i = 0; i < model.lvwRegistryvaluesScan.size() && !(anyChecked && anyUnchecked); ++i) {
            const SectionListEntry& entry = model.lvwRegistryvaluesScan[i];
            if (entry.checked)
                anyChecked = true;
            else if (!entry.outsidePrefix)
                anyUnchecked = true;
            context.host.yield();
        }
        state = !anyChecked ? CheckState::unchecked : anyUnchecked ? CheckState::grayed : CheckState::checked;
    }
    SetSelectAllBox(context, state);
    model.UpdatingSelectAll = false;
}

void SetSelectAllBox(ScanContext& context, CheckState state)
{
    if (context.model.chkSelectlistviewItems == state)
        return;
    context.model.chkSelectlistviewItems = state;
    chkSelectlistviewItems_Click(context);
}

void chkSelectlistviewItems_Click(ScanContext& context)
{
    ScanModel& model = context.model;
    const CheckState state = model.chkSelectlistviewItems;
    context.settings.WriteSetting(kChkSelectlistviewItems, state == CheckState::unchecked ? "0" : "1");
    if (model.UpdatingSelectAll)
        return;
    const bool checkAll = state == CheckState::checked;
    for (std::size_t i = 0; i < model.lvwRegistryvaluesScan.size(); ++i) {
        if (checkAll && model.lvwRegistryvaluesScan[i].outsidePrefix) {
            context.host.yield();
            continue;
        }
        setChecked(model, i, checkAll);
        context.settings.WriteSetting(model.lvwRegistryvaluesScan[i].ListText, booleanText(checkAll));
        context.host.yield();
    }
}

void lvwRegistryvaluesScan_ItemCheck(ScanContext& context, std::size_t index, bool checked)
{
    if (index >= context.model.lvwRegistryvaluesScan.size())
        return;
    setChecked(context.model, index, checked);
    saveAfterEntryChange(context);
}

void lvwRegistryvaluesScan_ItemClick(ScanContext& context, std::size_t index)
{
    if (index >= context.model.lvwRegistryvaluesScan.size())
        return;
    setChecked(context.model, index, !context.model.lvwRegistryvaluesScan[index].checked);
    saveAfterEntryChange(context);
}

void tmrRefreshlvwContents_Timer(ScanContext& context)
{
    context.model.tmrRefreshlvwContentsEnabled = false;
    context.host.RefreshThePicControls();
    if (context.model.ImgScanNowNormalEnabled)
        LoadlvwRegistryvaluesScanValues(context);
}

void RestoreSelectAllBox(ScanContext& context)
{
    // Unlike the other check-box readers, a text that is not a number gives unchecked here.
    const long long stored =
        SettingAsNumber(context.settings.ReadSetting(kChkSelectlistviewItems, kSelectlistviewItemsDefault)).value_or(0);
    const CheckState state = stored == 2   ? CheckState::grayed
                             : stored == 1 ? CheckState::checked
                                           : CheckState::unchecked;
    SetSelectAllBox(context, state);
}

} // namespace tessivar
