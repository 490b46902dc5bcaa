#include "text/utf8.h"

#include <QChar>

#include <cstdint>
#include <cstring>

namespace kestrix {

namespace {

void appendCodePoint(char32_t cp, std::string &out)
{
    if (cp < 0x80) {
        out.push_back(char(cp));
    } else if (cp < 0x800) {
        out.push_back(char(0xC0 | (cp >> 6)));
        out.push_back(char(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(char(0xE0 | (cp >> 12)));
        out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(char(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(char(0xF0 | (cp >> 18)));
        out.push_back(char(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(char(0x80 | (cp & 0x3F)));
    }
}

}  // namespace

bool isValidUtf8(std::string_view text)
{
    const auto *p = reinterpret_cast<const unsigned char *>(text.data());
    const auto *end = p + text.size();
    while (p < end) {
        const unsigned char c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
        int more = 0;
        unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
        if (c >= 0xC2 && c <= 0xDF) {
            more = 1;
        } else if (c >= 0xE0 && c <= 0xEF) {
            more = 2;
            if (c == 0xE0)
                low = 0xA0;  // no overlong forms
            if (c == 0xED)
                high = 0x9F;  // no surrogates
        } else if (c >= 0xF0 && c <= 0xF4) {
            more = 3;
            if (c == 0xF0)
                low = 0x90;
            if (c == 0xF4)
                high = 0x8F;  // nothing above U+10FFFF
        } else {
            return false;
        }
        if (end - p <= more)
            return false;
        if (p[1] < low || p[1] > high)
            return false;
        for (int k = 2; k <= more; ++k) {
            if ((p[k] & 0xC0) != 0x80)
                return false;
        }
        p += more + 1;
    }
    return true;
}

bool isAscii(std::string_view text)
{
    // Eight bytes at a time: any high bit set means a byte above 0x7F.
    size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        uint64_t chunk;
        std::memcpy(&chunk, text.data() + i, 8);
        if (chunk & 0x8080808080808080ULL)
            return false;
    }
    for (; i < text.size(); ++i) {
        if (static_cast<unsigned char>(text[i]) >= 0x80)
            return false;
    }
    return true;
}

void appendLatin1AsUtf8(std::string_view latin1, std::string &out)
{
    for (char c : latin1)
        appendCodePoint(static_cast<unsigned char>(c), out);
}

void appendRawAsUtf8(std::string_view raw, std::string &out)
{
    if (isAscii(raw) || isValidUtf8(raw))
        out.append(raw);
    else
        appendLatin1AsUtf8(raw, out);
}

std::string caseFoldedUtf8(std::string_view utf8)
{
    std::string out;
    appendCaseFoldedUtf8(utf8, out);
    return out;
}

void appendCaseFoldedUtf8(std::string_view utf8, std::string &out)
{
    out.reserve(out.size() + utf8.size());
    const auto *p = reinterpret_cast<const unsigned char *>(utf8.data());
    const auto *end = p + utf8.size();
    while (p < end) {
        const unsigned char c = *p;
        if (c < 0x80) {
            out.push_back((c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : char(c));
            ++p;
            continue;
        }
        // Valid input: the lead byte gives the length.
        const int more = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : 1;
        if (end - p <= more)
            break;
        char32_t cp = c & (0x3F >> more);
        for (int k = 1; k <= more; ++k)
            cp = (cp << 6) | (p[k] & 0x3F);
        appendCodePoint(QChar::toCaseFolded(cp), out);
        p += more + 1;
    }
}

}  // namespace kestrix
