#pragma once
// Decoders for the charsets that encoded words name, looked up by name once and kept: opening a
// converter by name costs far more than decoding a header. UTF-8 and Latin-1 are decoded
// directly; every other name goes to Qt's QStringDecoder, which knows whatever the system's
// Qt knows (with ICU: windows-125x, iso-8859-x, koi8-r, gbk, big5, shift_jis, euc-kr, ...).

#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QStringDecoder;

namespace kestrix {

class CharsetDecoder {
public:
    enum class Kind { Utf8, Latin1, Ascii, Named };
    CharsetDecoder(Kind kind, std::unique_ptr<QStringDecoder> named);
    ~CharsetDecoder();

    // Appends the text in UTF-8; false (and out unchanged or partly written, for the caller to
    // cut back) when the bytes are not valid in this charset, an incomplete character at the end
    // included. "us-ascii" with 8-bit bytes is read like raw header text.
    bool appendUtf8(std::string_view bytes, std::string &out) const;

private:
    Kind m_kind;
    std::unique_ptr<QStringDecoder> m_named;  // stateless; reset before every use
};

class CharsetDecoders {
public:
    CharsetDecoders();
    ~CharsetDecoders();

    // nullptr for a charset the system does not know. Names compare without regard to case.
    // A name not yet in the table is opened only while opensLeft is above 0 (and lowers it), so
    // a hostile header full of made-up names costs a bounded number of look-ups; otherwise it
    // counts as unknown. Beyond the table's size, new names are opened into one spare slot, and
    // the pointer holds only until the next call.
    const CharsetDecoder *find(std::string_view charset, int &opensLeft);

private:
    struct Entry {
        std::string name;  // lower-case
        std::unique_ptr<CharsetDecoder> decoder;  // nullptr: unknown
    };
    std::vector<Entry> m_entries;
    std::unique_ptr<CharsetDecoder> m_overflow;  // the last name looked up beyond the table
};

// The current thread's decoders.
CharsetDecoders &charsetDecoders();

}  // namespace kestrix
