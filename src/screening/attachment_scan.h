#pragma once
// The message reader's attachment scan: the names of the stored parts, found in the text by the
// lines the retrieval writes for them (File "NAME" extracted), and the warning for names of a
// type that can run code.

#include <optional>
#include <string>
#include <string_view>

namespace kestrix {

// The name in a line that begins with "File" and ends with "extracted": the text after its
// first double quote up to the next one. Nothing for any other line.
std::optional<std::string> extractedFileName(std::string_view line);

// True when the names (joined, any case) hold an extension that can run code, anywhere: the
// Windows ones (.exe, .com, .scr, .dll, .bat, .sys) and the Linux ones (.sh, .desktop, .jar,
// .appimage, .run, .deb, .rpm, .py, .pl, .bin). "notes.exe.txt" counts too.
bool hasDangerousExtension(std::string_view names);

}  // namespace kestrix
