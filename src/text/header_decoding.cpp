#include "text/header_decoding.h"

#include "text/display_text.h"
#include "text/encoded_word_passes.h"
#include "text/latin1.h"

#include <algorithm>

namespace kestrix {

namespace {

std::string removeQuotes(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t quote; (quote = text.find('"')) != std::string_view::npos;) {
        out.append(text.substr(0, quote));
        text.remove_prefix(quote + 1);
    }
    out.append(text);
    return out;
}

// The rest of the first header line whose lower-cased form contains name, leading blanks
// removed, decoded (or only its double quotes removed).
std::string extractField(const std::vector<std::string> &header, std::string_view name,
                         bool decode = true)
{
    for (const std::string &line : header) {
        const size_t pos = findLowerAZ(line, name);
        if (pos == std::string::npos)
            continue;
        // The line without the name; read in place where the name opens it, as it mostly does.
        std::string_view rest = std::string_view(line).substr(pos + name.size());
        std::string joined;
        if (pos > 0) {
            joined.assign(line, 0, pos).append(rest);
            rest = joined;
        }
        return decode ? decodeHeaderWords(trimLeadingBlanks(rest)) : removeQuotes(trimLeadingBlanks(rest));
    }
    return {};
}

}  // namespace

int hexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return 20;
}

std::string decodeHeaderWords(std::string_view input)
{
    return decodeWordPasses(removeQuotes(input));
}

std::string lowerOutsideEncodedWords(std::string_view text)
{
    std::string out(text);
    for (size_t i = 0; i < out.size();) {
        if (out[i] == '=') {
            if (const size_t end = encodedWordEnd(text, i); end != std::string_view::npos) {
                i = end;
                continue;
            }
        }
        out[i] = lowerAZ(out[i]);
        ++i;
    }
    return out;
}

std::string messageCode(std::string_view uniqueId)
{
    const std::string_view id = trimLeadingBlanks(uniqueId);
    // Written into a buffer and copied once: a string grown byte by byte checks its room at
    // every byte, for every message of a download.
    char code[256];
    std::size_t size = 0;
    for (char c : id) {
        if (size >= 252)
            break;
        // The byte's value in decimal, without a leading zero.
        const unsigned value = static_cast<unsigned char>(c);
        if (value >= 100)
            code[size++] = char('0' + value / 100);
        if (value >= 10)
            code[size++] = char('0' + value / 10 % 10);
        code[size++] = char('0' + value % 10);
    }
    return std::string(code, size);
}

std::string extractSender(const std::vector<std::string> &header)
{
    return removeQuotes(extractField(header, "from:"));
}

std::string extractSubject(const std::vector<std::string> &header)
{
    return extractField(header, "subject:");
}

std::string senderAsReceived(const std::vector<std::string> &header)
{
    return extractField(header, "from:", false);
}

std::string subjectAsReceived(const std::vector<std::string> &header)
{
    return extractField(header, "subject:", false);
}

}  // namespace kestrix
