#include "text/body_text.h"

#include <gtest/gtest.h>

using namespace kestrix;

TEST(BodyText, ByTheCharsetNamedElseUtf8WhenValidElseLatin1)
{
    struct Case {
        const char *what;
        std::string bytes;
        std::string charset;
        std::string expected;  // UTF-8
    };
    const std::string utf8 = "sch\xC3\xB6ne Gr\xC3\xBC\xC3\x9F" "e";
    const std::string latin1 = "sch\xF6ne Gr\xFC\xDF" "e";
    const std::vector<Case> cases = {
        {"utf-8 named", utf8, "utf-8", utf8},
        {"utf-8, none named", utf8, "", utf8},
        {"latin-1 named", latin1, "ISO-8859-1", utf8},
        {"latin-1, none named", latin1, "", utf8},
        {"utf-8 in a part said to be us-ascii", utf8, "us-ascii", utf8},
        {"koi8-r", "\xF0\xD2\xC9\xD7\xC5\xD4", "koi8-r", "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82"},
        {"windows-1252", "\x80 \x93q\x94", "windows-1252", "\xE2\x82\xAC \xE2\x80\x9Cq\xE2\x80\x9D"},
        {"said to be utf-8 but not", latin1, "utf-8", utf8},
        {"an unknown charset", utf8, "x-unknown", utf8},
        {"ascii read as utf-16 would be other letters", "Hello\r\n", "utf-16", "Hello\r\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(bodyTextUtf8(c.bytes, c.charset), c.expected);
    }
}
