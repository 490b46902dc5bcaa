#include "text/body_text.h"

#include "text/charset_decoders.h"
#include "text/latin1.h"
#include "text/utf8.h"

namespace kestrix {

namespace {

// Every line of a mail text is ASCII-compatible; these would read plain ASCII as other letters.
bool isWideCharset(std::string_view charset)
{
    const std::string name = lowerAZ(charset);
    for (const char *wide : {"utf-16", "utf-32", "ucs-2", "ucs-4", "utf16", "utf32"}) {
        if (name.rfind(wide, 0) == 0)
            return true;
    }
    return false;
}

}  // namespace

std::string bodyTextUtf8(std::string_view bytes, std::string_view charset)
{
    std::string text;
    if (!charset.empty() && !isWideCharset(charset)) {
        int opensLeft = 1;
        if (const CharsetDecoder *decoder = charsetDecoders().find(charset, opensLeft)) {
            if (decoder->appendUtf8(bytes, text))
                return text;
            text.clear();
        }
    }
    appendRawAsUtf8(bytes, text);
    return text;
}

QString bodyText(std::string_view bytes, std::string_view charset)
{
    const std::string text = bodyTextUtf8(bytes, charset);
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

std::string bodyLines(const std::vector<std::string> &body)
{
    std::string text;
    for (const std::string &entry : body) {
        std::size_t start = 0;
        for (std::size_t end; (end = entry.find("\r\n", start)) != std::string::npos; start = end + 2)
            text.append(entry, start, end - start).push_back('\n');
        text.append(entry, start, std::string::npos).push_back('\n');
    }
    return text;
}

}  // namespace kestrix
