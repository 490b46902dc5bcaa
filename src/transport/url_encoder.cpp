#include "transport/url_encoder.h"

#include <exception>

namespace kestrix {

std::string formEncode(const std::string &text)
{
    static const char hex[] = "0123456789abcdef";
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == ' ') {
            out += '+';
        } else if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) {
            out += c;
        } else {
            out += '%';
            out += hex[byte >> 4];
            out += hex[byte & 0x0F];
        }
    }
    return out;
}

std::string TNMURL::Encode()
{
    try {
        return formEncode(InputString);
    } catch (const std::exception &error) {
        if (OnError)
            OnError(this, "Error during encode", error.what());
        return InputString;
    }
}

}  // namespace kestrix
