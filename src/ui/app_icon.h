#pragma once
// The program's pictures, drawn in code: the window and tray icon (an envelope under a
// kestrel-blue shield), its new-mail variant, the exit glyph and the small banner pictures.

#include <QIcon>
#include <QPixmap>

namespace kestrix {

QIcon appIcon();
QIcon newMailIcon();
QIcon exitIcon();
// The blinking warning picture at both ends of the unknown-senders banner.
QPixmap bannerPicture(int size);
// The status bar's new-mail picture.
QPixmap newMailPicture(int size);
// The status bar's protection sign: a closed green lock, or an open one in the warning colour.
QPixmap lockPicture(int size, bool closed);

}  // namespace kestrix
