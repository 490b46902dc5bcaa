#include "text/display_text.h"

#include "text/charset_decoders.h"
#include "text/utf8.h"

#include <QByteArrayView>

#include <array>

namespace kestrix {

namespace {

bool isLinearWhiteSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool allLinearWhiteSpace(std::string_view text)
{
    for (char c : text) {
        if (!isLinearWhiteSpace(c))
            return false;
    }
    return true;
}

// A charset or encoding letter: printable ASCII except blanks and the specials, which end it.
constexpr std::array<bool, 256> kTokenChars = [] {
    std::array<bool, 256> token{};
    for (int c = 0x21; c < 0x7F; ++c)
        token[size_t(c)] = true;
    for (const char special : std::string_view("()<>@,;:\\\"/[]?.="))
        token[static_cast<unsigned char>(special)] = false;
    return token;
}();

bool isTokenChar(char ch) { return kTokenChars[static_cast<unsigned char>(ch)]; }

// Encoded text: printable ASCII except "?" and blanks.
bool isEncodedTextChar(char ch)
{
    const auto c = static_cast<unsigned char>(ch);
    return c > 0x20 && c < 0x7F && c != '?';
}

struct EncodedWord {
    size_t begin = 0;
    size_t end = 0;  // one past the closing "?="
    std::string_view charset;
    char encoding = 0;  // 'b' or 'q'
    std::string_view encodedText;
};

// The word that starts with "=?" at pos. Each part stops at the first character it may not
// hold, and no part may hold a "?", so a scan never runs past the third "?" after pos: the
// starts that a scan passes over are few, and the whole text is read a bounded number of times.
bool parseWord(std::string_view text, size_t pos, EncodedWord &word)
{
    size_t i = pos + 2;
    const size_t charsetBegin = i;
    // The charset, with an optional "*language" suffix (RFC 2231), which is dropped.
    while (i < text.size() && (isTokenChar(text[i])))
        ++i;
    if (i == charsetBegin || i >= text.size() || text[i] != '?')
        return false;
    std::string_view charset = text.substr(charsetBegin, i - charsetBegin);
    if (const size_t star = charset.find('*'); star != std::string_view::npos)
        charset = charset.substr(0, star);
    if (charset.empty())
        return false;
    ++i;
    if (i + 1 >= text.size() || text[i + 1] != '?')
        return false;
    const char letter = text[i];
    if (letter != 'b' && letter != 'B' && letter != 'q' && letter != 'Q')
        return false;
    i += 2;
    const size_t textBegin = i;
    while (i < text.size() && isEncodedTextChar(text[i]))
        ++i;
    if (i + 1 >= text.size() || text[i] != '?' || text[i + 1] != '=')
        return false;
    word.begin = pos;
    word.end = i + 2;
    word.charset = charset;
    word.encoding = (letter == 'b' || letter == 'B') ? 'b' : 'q';
    word.encodedText = text.substr(textBegin, i - textBegin);
    return true;
}

// The value of each byte in base64, -1 outside the alphabet.
constexpr std::array<signed char, 256> kBase64Values = [] {
    std::array<signed char, 256> values{};
    values.fill(-1);
    const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (int i = 0; i < 64; ++i)
        values[static_cast<unsigned char>(alphabet[i])] = static_cast<signed char>(i);
    return values;
}();

// Appends the bytes of a base64 text; false on a character outside the alphabet, padding
// anywhere but at the end, or a length no encoder produces. Missing padding is accepted.
bool appendBase64(std::string_view text, std::string &out)
{
    size_t length = text.size();
    int padding = 0;
    while (length > 0 && text[length - 1] == '=' && padding < 2) {
        --length;
        ++padding;
    }
    if (length % 4 == 1)
        return false;
    if (padding > 0 && (length + size_t(padding)) % 4 != 0)
        return false;
    const size_t start = out.size();
    out.resize(start + length * 3 / 4);
    char *write = out.data() + start;
    unsigned int buffer = 0;
    int bits = 0;
    for (size_t i = 0; i < length; ++i) {
        const int v = kBase64Values[static_cast<unsigned char>(text[i])];
        if (v < 0) {
            out.resize(start);
            return false;
        }
        buffer = (buffer << 6) | unsigned(v);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            *write++ = static_cast<char>((buffer >> bits) & 0xFF);
        }
    }
    return true;
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// "_" is a blank, "=XY" one byte (either letter case); an "=" without two hex digits is an error.
bool appendQuoted(std::string_view text, std::string &out)
{
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '_') {
            out.push_back(' ');
        } else if (c == '=') {
            if (i + 2 >= text.size())
                return false;
            const int high = hexValue(text[i + 1]);
            const int low = hexValue(text[i + 2]);
            if (high < 0 || low < 0)
                return false;
            out.push_back(static_cast<char>(high * 16 + low));
            i += 2;
        } else {
            out.push_back(c);
        }
    }
    return true;
}

// A decoded line end or other control would break a grid row or a TAB-separated line. UTF-8
// continuation bytes are all above 0x7F, so the bytes can be looked at one by one.
void blankControls(std::string &text, size_t from)
{
    char *p = text.data() + from;
    char *const end = text.data() + text.size();
    for (; p < end; ++p) {
        const auto c = static_cast<unsigned char>(*p);
        if (c < 0x20 || c == 0x7F)
            *p = ' ';
    }
}

bool sameCharset(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = char(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = char(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

std::string &runBytes()
{
    thread_local std::string bytes;
    return bytes;
}

// Builds the display text: raw stretches and runs of adjacent encoded words in one charset.
class DisplayBuilder {
public:
    // Appends to out. The byte buffers are the thread's own and keep their capacity, so a table
    // of thousands of texts is decoded without an allocation per text.
    DisplayBuilder(std::string_view text, std::string &out)
        : m_text(text)
        , m_out(out)
    {
        m_out.reserve(m_out.size() + text.size() + text.size() / 2);
        m_bytes.clear();
    }

    void run()
    {
        size_t pos = 0;
        size_t rawStart = 0;
        thread_local std::string wordBytes;
        std::string &bytes = wordBytes;
        while (true) {
            const size_t found = m_text.find("=?", pos);
            if (found == std::string_view::npos)
                break;
            EncodedWord word;
            bytes.clear();
            if (!parseWord(m_text, found, word) || !payload(word, bytes)) {
                pos = found + 1;
                continue;
            }
            const std::string_view gap = m_text.substr(rawStart, found - rawStart);
            if (m_inRun && allLinearWhiteSpace(gap)) {
                if (sameCharset(word.charset, m_charset)) {
                    m_bytes += bytes;
                    m_runEnd = word.end;
                } else {
                    if (!flushRun())
                        appendRaw(gap);
                    startRun(word, bytes, gap);
                }
            } else {
                if (m_inRun)
                    flushRun();
                appendRaw(gap);
                startRun(word, bytes, {});
            }
            pos = rawStart = word.end;
        }
        if (m_inRun)
            flushRun();
        appendRaw(m_text.substr(rawStart));
    }

private:
    bool payload(const EncodedWord &word, std::string &bytes)
    {
        if (charsetDecoders().find(word.charset, m_opensLeft) == nullptr)
            return false;  // unknown charset: the word stays as written
        return word.encoding == 'b' ? appendBase64(word.encodedText, bytes)
                                    : appendQuoted(word.encodedText, bytes);
    }

    void startRun(const EncodedWord &word, std::string &bytes, std::string_view gapBefore)
    {
        m_inRun = true;
        m_charset = word.charset;
        m_bytes.swap(bytes);
        m_runBegin = word.begin;
        m_runEnd = word.end;
        m_gapBefore = gapBefore;
    }

    // Decodes the pending run; a run its charset cannot decode stays as written, together with
    // the white space that joined it to the run before.
    bool flushRun()
    {
        m_inRun = false;
        const CharsetDecoder *decoder = charsetDecoders().find(m_charset, m_opensLeft);
        const size_t from = m_out.size();
        if (decoder == nullptr || !decoder->appendUtf8(m_bytes, m_out)) {
            m_out.resize(from);
            appendRaw(m_gapBefore);
            appendRaw(m_text.substr(m_runBegin, m_runEnd - m_runBegin));
            return false;
        }
        blankControls(m_out, from);
        return true;
    }

    void appendRaw(std::string_view raw) { appendRawAsUtf8(raw, m_out); }

    std::string_view m_text;
    std::string &m_out;  // UTF-8
    bool m_inRun = false;
    std::string_view m_charset;
    std::string &m_bytes = runBytes();  // the pending run's bytes
    size_t m_runBegin = 0;
    size_t m_runEnd = 0;
    std::string_view m_gapBefore;
    // Charset names not yet known that one text may make us look up.
    int m_opensLeft = 8;
};

}  // namespace

size_t encodedWordEnd(std::string_view text, size_t pos)
{
    EncodedWord word;
    if (pos + 1 >= text.size() || text[pos] != '=' || text[pos + 1] != '?' || !parseWord(text, pos, word))
        return std::string_view::npos;
    return word.end;
}

QString rawHeaderText(std::string_view text)
{
    const QByteArrayView bytes(text.data(), qsizetype(text.size()));
    if (isAscii(text))
        return QString::fromLatin1(bytes);
    return isValidUtf8(text) ? QString::fromUtf8(bytes) : QString::fromLatin1(bytes);
}

void appendDisplayHeaderTextUtf8(std::string_view text, std::string &out)
{
    if (text.find("=?") == std::string_view::npos)
        appendRawAsUtf8(text, out);
    else
        DisplayBuilder(text, out).run();
}

std::string displayHeaderTextUtf8(std::string_view text)
{
    std::string out;
    appendDisplayHeaderTextUtf8(text, out);
    return out;
}

bool displaysAsIs(std::string_view text)
{
    return isAscii(text) && text.find("=?") == std::string_view::npos;
}

QString displayHeaderText(std::string_view text)
{
    if (text.find("=?") == std::string_view::npos)
        return rawHeaderText(text);
    std::string utf8;
    DisplayBuilder(text, utf8).run();
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

}  // namespace kestrix
