#pragma once
// The grid's selection as the screening acts on it: which rows the row commands take, whether
// trusted rows may go too, and whose details are shown. The window copies its selection in
// (Screener::updateSelectionInfo); kestrix-cli sets it from message numbers.

namespace kestrix {

struct GridSelection {
    // "Select known bad or blacklisted" is in effect: the deletion and "Add to whitelist" take
    // every known-bad or blacklisted row instead of the selected ones.
    bool knownBadSelectMode = false;
    int selTop = 1;
    int selBottom = 1;
    int detailsRow = -1;  // the row whose header details are shown; -1 forces a refresh
    // "Allow delete of accepted" (CheckBox1): the deletion of selected rows takes trusted rows too
    // (Screener::setAllowDeleteAccepted also checks the box).
    bool allowDeleteAccepted = false;
};

}  // namespace kestrix
