#include "text/charset_decoders.h"

#include "text/latin1.h"
#include "text/utf8.h"

#include <QByteArrayView>
#include <QStringDecoder>

namespace kestrix {

namespace {

constexpr size_t kTableSize = 64;
constexpr size_t kLongestName = 64;

std::unique_ptr<CharsetDecoder> open(const std::string &name)
{
    using Kind = CharsetDecoder::Kind;
    if (name == "utf-8" || name == "utf8")
        return std::make_unique<CharsetDecoder>(Kind::Utf8, nullptr);
    if (name == "iso-8859-1" || name == "iso8859-1" || name == "iso_8859-1" || name == "latin1")
        return std::make_unique<CharsetDecoder>(Kind::Latin1, nullptr);
    if (name == "us-ascii" || name == "ascii")
        return std::make_unique<CharsetDecoder>(Kind::Ascii, nullptr);
    if (name.size() > kLongestName)
        return nullptr;
    auto named = std::make_unique<QStringDecoder>(name.c_str(), QStringConverter::Flag::Stateless);
    if (!named->isValid())
        return nullptr;
    return std::make_unique<CharsetDecoder>(Kind::Named, std::move(named));
}

}  // namespace

CharsetDecoder::CharsetDecoder(Kind kind, std::unique_ptr<QStringDecoder> named)
    : m_kind(kind)
    , m_named(std::move(named))
{
}

CharsetDecoder::~CharsetDecoder() = default;

bool CharsetDecoder::appendUtf8(std::string_view bytes, std::string &out) const
{
    switch (m_kind) {
    case Kind::Utf8:
        if (!isValidUtf8(bytes))
            return false;
        out.append(bytes);
        return true;
    case Kind::Latin1:
        appendLatin1AsUtf8(bytes, out);
        return true;
    case Kind::Ascii:
        appendRawAsUtf8(bytes, out);
        return true;
    case Kind::Named:
        break;
    }
    m_named->resetState();
    const QString text = m_named->decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    if (m_named->hasError())
        return false;
    out += text.toStdString();
    return true;
}

CharsetDecoders::CharsetDecoders() = default;
CharsetDecoders::~CharsetDecoders() = default;

const CharsetDecoder *CharsetDecoders::find(std::string_view charset, int &opensLeft)
{
    // Names are kept in lower case.
    for (const Entry &entry : m_entries) {
        if (equalsIgnoreCaseAZ(entry.name, charset))
            return entry.decoder.get();
    }
    if (opensLeft <= 0)
        return nullptr;
    --opensLeft;
    std::string name = lowerAZ(charset);
    std::unique_ptr<CharsetDecoder> decoder = open(name);
    if (m_entries.size() >= kTableSize) {
        m_overflow = std::move(decoder);
        return m_overflow.get();
    }
    m_entries.push_back(Entry{std::move(name), std::move(decoder)});
    return m_entries.back().decoder.get();
}

CharsetDecoders &charsetDecoders()
{
    thread_local CharsetDecoders decoders;
    return decoders;
}

}  // namespace kestrix
