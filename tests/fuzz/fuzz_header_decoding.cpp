// The header-word decoding, the message code and the sender and subject cut-outs on arbitrary
// bytes. The decoding must agree with the pass-by-pass decoding it replaced (compared on texts
// short enough for the slow one) and never grow a text.
#include "support/reference_word_decoding.h"
#include "text/header_decoding.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

using namespace kestrix;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    const std::string decoded = decodeHeaderWords(text);
    if (decoded.size() > text.size()) {
        std::fprintf(stderr, "the decoding grew the text\n");
        std::abort();
    }
    if (size <= 4096 && decoded != reference::decodeHeaderWordsByPasses(text)) {
        std::fprintf(stderr, "the decoding differs from the pass-by-pass decoding\n");
        std::abort();
    }
    if (messageCode(text).size() > 254) {
        std::fprintf(stderr, "message code longer than 254 characters\n");
        std::abort();
    }
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == '\n') {
            lines.emplace_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    (void)extractSender(lines);
    (void)extractSubject(lines);
    return 0;
}
