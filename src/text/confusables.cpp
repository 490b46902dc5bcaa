#include "text/confusables.h"

#include "text/latin1.h"

#include <QString>

#include <unicode/uidna.h>
#include <unicode/uspoof.h>

#include <array>
#include <cstdint>

namespace kestrix {

namespace {

bool isAscii(std::string_view text)
{
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

// "xn--" anywhere, A-Z case ignored.
bool hasAceLabel(std::string_view domain)
{
    for (size_t i = 0; i + 4 <= domain.size(); ++i) {
        if (lowerAZ(domain[i]) == 'x' && lowerAZ(domain[i + 1]) == 'n' && domain[i + 2] == '-'
            && domain[i + 3] == '-')
            return true;
    }
    return false;
}

// The process's spoof checker, configured once; ICU allows concurrent use of a configured one.
struct Checker {
    USpoofChecker *spoof = nullptr;
    UIDNA *idna = nullptr;
    // Key of each lower-cased ASCII character, from ICU, with the simple swaps of this program:
    // all in one text, each character's key at its offset ("%" has six bytes).
    struct AsciiKey {
        std::uint16_t offset = 0;
        std::uint8_t size = 0;
    };
    std::array<AsciiKey, 128> asciiKey;
    std::string asciiKeyText;

    Checker()
    {
        UErrorCode status = U_ZERO_ERROR;
        spoof = uspoof_open(&status);
        if (U_FAILURE(status))
            spoof = nullptr;
        status = U_ZERO_ERROR;
        idna = uidna_openUTS46(UIDNA_DEFAULT, &status);
        if (U_FAILURE(status))
            idna = nullptr;
        for (int c = 0; c < 128; ++c) {
            const char lowered = lowerAZ(char(c));
            setAsciiKey(char(c), lowerAZ(skeleton(std::string_view(&lowered, 1))));
        }
        // The swaps people make by hand, whatever the ICU data says: "rn" for "m", "1" (and
        // "|") for "l", "0" for "o".
        setAsciiKey('m', "rn");
        setAsciiKey('1', "l");
        setAsciiKey('|', "l");
        setAsciiKey('0', "o");
    }
    ~Checker()
    {
        if (spoof)
            uspoof_close(spoof);
        if (idna)
            uidna_close(idna);
    }
    Checker(const Checker &) = delete;
    Checker &operator=(const Checker &) = delete;

    void setAsciiKey(char c, std::string_view key)
    {
        asciiKey[static_cast<unsigned char>(c)] = {std::uint16_t(asciiKeyText.size()),
                                                   std::uint8_t(key.size())};
        asciiKeyText += key;
    }

    // Appends the keys of ASCII bytes to key.
    void appendAsciiKeys(std::string_view ascii, std::string &key) const
    {
        for (const char ch : ascii) {
            const AsciiKey &k = asciiKey[static_cast<unsigned char>(ch)];
            key.append(asciiKeyText.data() + k.offset, k.size);
        }
    }

    // ICU's skeleton of UTF-8 text; the text itself when ICU fails.
    std::string skeleton(std::string_view utf8) const
    {
        if (!spoof)
            return std::string(utf8);
        std::string out(utf8.size() * 2 + 8, '\0');
        for (int attempt = 0; attempt < 2; ++attempt) {
            UErrorCode status = U_ZERO_ERROR;
            const int32_t n = uspoof_getSkeletonUTF8(spoof, 0, utf8.data(), int32_t(utf8.size()),
                                                     out.data(), int32_t(out.size()), &status);
            if (status == U_BUFFER_OVERFLOW_ERROR) {
                out.resize(size_t(n) + 1);
                continue;
            }
            if (U_FAILURE(status))
                return std::string(utf8);
            out.resize(size_t(n));
            return out;
        }
        return std::string(utf8);
    }
};

const Checker &checker()
{
    static const Checker instance;
    return instance;
}

// Valid UTF-8, case-folded (invalid bytes become U+FFFD on the way through QString).
std::string foldedUtf8(std::string_view utf8)
{
    const QString text = QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
    return text.toCaseFolded().toUtf8().toStdString();
}

}  // namespace

void confusableKeyInto(std::string_view utf8, std::string &key)
{
    const Checker &c = checker();
    key.clear();
    if (isAscii(utf8)) {
        c.appendAsciiKeys(utf8, key);
        return;
    }
    // ICU leaves "0" as a capital O and "1" and "m" as they are beside other scripts' letters;
    // the swaps apply all the same.
    for (const char ch : lowerAZ(c.skeleton(foldedUtf8(utf8)))) {
        if (static_cast<unsigned char>(ch) < 0x80)
            c.appendAsciiKeys(std::string_view(&ch, 1), key);
        else
            key += ch;
    }
}

std::string confusableKey(std::string_view utf8)
{
    std::string key;
    confusableKeyInto(utf8, key);
    return key;
}

std::string domainToUnicode(std::string_view domain)
{
    const Checker &c = checker();
    if (!c.idna || !hasAceLabel(domain))
        return std::string(domain);
    const std::string lowered = lowerAZ(domain);
    std::string out(domain.size() * 4 + 16, '\0');
    UErrorCode status = U_ZERO_ERROR;
    UIDNAInfo info = UIDNA_INFO_INITIALIZER;
    const int32_t n = uidna_nameToUnicodeUTF8(c.idna, lowered.data(), int32_t(lowered.size()),
                                              out.data(), int32_t(out.size()), &info, &status);
    if (U_FAILURE(status) || n < 0 || size_t(n) > out.size())
        return std::string(domain);
    out.resize(size_t(n));
    return out;
}

void domainConfusableKeyInto(std::string_view domain, std::string &key)
{
    if (isAscii(domain) && !hasAceLabel(domain))
        confusableKeyInto(domain, key);
    else
        confusableKeyInto(domainToUnicode(domain), key);
}

std::string domainConfusableKey(std::string_view domain)
{
    std::string key;
    domainConfusableKeyInto(domain, key);
    return key;
}

bool mixesScripts(std::string_view utf8)
{
    const Checker &c = checker();
    if (!c.spoof || isAscii(utf8))
        return false;
    const std::string folded = foldedUtf8(utf8);
    UErrorCode status = U_ZERO_ERROR;
    const int32_t result =
        uspoof_checkUTF8(c.spoof, folded.data(), int32_t(folded.size()), nullptr, &status);
    return U_SUCCESS(status) && (result & USPOOF_RESTRICTION_LEVEL) != 0;
}

}  // namespace kestrix
