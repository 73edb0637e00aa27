#pragma once

// The section selection list lvwRegistryvaluesScan and its select-all box chkSelectlistviewItems,
// as operations on the model. Every change is stored at once, entry by entry, under the entry's
// ListText ("True"/"False") and under "chkSelectlistviewItems" ("1"/"0"), so the list can be
// rebuilt from the store at any moment.
//
// Long loops yield; an action run during a yield may rebuild or empty the list, so the loops
// read the list afresh at every step and stop where it ends.
//
// Stored entry states are read as booleans: "True"/"False" in any letter case, or a whole number
// (0 is false, any other number true). A missing key means checked; any other text (a word such
// as "maybe", an empty text) means unchecked.

#include "engine/scan_model.h"

#include <cstddef>

namespace tessivar {

struct ScanContext;

inline constexpr int kTmrRefreshlvwContentsInterval = 50; // milliseconds

// Rebuilds the list: the eleven fixed sections, one "Window Shortcut " entry per fixed drive,
// each checked as stored. A drive whose folder lies outside the prefix is unchecked when nothing
// is stored for it. Does not touch the select-all box.
void LoadlvwRegistryvaluesScanValues(ScanContext& context);

// Sets the select-all box from the entries: checked when all are, grayed when some are,
// unchecked when none are or the list is empty. Only the box's state is saved meanwhile.
void UpdateSelectAllBox(ScanContext& context);

// The box is given a new state, by the user or by the program. As a check box does, it raises
// its click action only when the state really changes.
void SetSelectAllBox(ScanContext& context, CheckState state);

// The box's click action: saves its state ("1" for checked and grayed, "0" for unchecked) and,
// unless the program itself is setting the box, applies it to every entry: checked checks all,
// unchecked or grayed unchecks all.
void chkSelectlistviewItems_Click(ScanContext& context);

// The user changed entry `index` (0-based) to `checked` through its check box: the entry takes
// the state, the box follows, and every entry's state is saved. An index past the end changes
// nothing. The window calls either this or lvwRegistryvaluesScan_ItemClick for one user action,
// never both, so that the entry changes exactly once.
void lvwRegistryvaluesScan_ItemCheck(ScanContext& context, std::size_t index, bool checked);

// The user clicked entry `index` (0-based): it toggles, the box follows, every state is saved.
void lvwRegistryvaluesScan_ItemClick(ScanContext& context, std::size_t index);

// The one-shot refresh after a resize: stops the timer, refreshes the window's pictures, and
// rebuilds the list unless a scan runs.
void tmrRefreshlvwContents_Timer(ScanContext& context);

// At start-up, before the list is first built: the box from "chkSelectlistviewItems" (default
// 1): 2 grayed, 1 checked, anything else unchecked. A change raises the click action, which
// stores "1" back at once.
void RestoreSelectAllBox(ScanContext& context);

} // namespace tessivar
