#pragma once
// The message reader's attachment warning: names of stored parts of a type that can run code.

#include <string_view>

namespace kestrix {

// True when the names (joined, any case) hold an extension that can run code, anywhere: the
// Windows ones (.exe, .com, .scr, .dll, .bat, .sys) and the Linux ones (.sh, .desktop, .jar,
// .appimage, .run, .deb, .rpm, .py, .pl, .bin). "notes.exe.txt" counts too.
bool hasDangerousExtension(std::string_view names);

}  // namespace kestrix
