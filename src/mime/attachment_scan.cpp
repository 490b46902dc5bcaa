#include "mime/attachment_scan.h"

#include "text/latin1.h"

#include <array>

namespace kestrix {

namespace {

constexpr std::array<std::string_view, 16> kDangerous = {
    ".exe", ".com", ".scr", ".dll", ".bat", ".sys",
    // What a Linux desktop runs or installs when the file is opened.
    ".sh", ".desktop", ".jar", ".appimage", ".run", ".deb", ".rpm", ".py", ".pl", ".bin",
};

}  // namespace

bool hasDangerousExtension(std::string_view names)
{
    const std::string lower = lowerAZ(names);
    for (const std::string_view extension : kDangerous) {
        if (lower.find(extension) != std::string::npos)
            return true;
    }
    return false;
}

}  // namespace kestrix
