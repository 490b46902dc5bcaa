#pragma once
// Opening a web page or an HTML file in the desktop's browser. The desktop's own opener accepts
// a page even where no browser is there to show it, and then nothing happens; so a browser is
// looked for first: the desktop's handler for the page (xdg-mime), $BROWSER, or one of the
// common browser commands on the PATH.

#include <QUrl>

namespace kestrix {

// True when a browser was found and the desktop accepted the page.
bool openInBrowser(const QUrl &url);

}  // namespace kestrix
