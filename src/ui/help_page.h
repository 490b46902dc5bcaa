#pragma once
// The HTML help page that the "Help" button opens in the desktop's browser.

#include <QString>

namespace kestrix {

// Beside the program first (a build folder, a portable copy), then where the installation put
// it (the documentation folder, found from the program's folder so that any prefix works, then
// the configured one). "" when there is none.
QString helpPagePath();

// Asks the desktop's browser to open the page; false when there is no page or no browser.
bool openHelpPage();

}  // namespace kestrix
